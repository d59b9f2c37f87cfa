#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Failed comparisons of Qt strings print their text rather than their bytes.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &texts, std::ostream *out)
{
    *out << '{' << texts.join(QStringLiteral(", ")).toStdString() << '}';
}
