#include "support/testfiles.h"

#include <QFile>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

std::string readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), bytes.size());
}

void writeFile(const QString &path, std::string_view content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content.data(), qint64(content.size()));
}

QString binaryDir()
{
    return QStringLiteral(QUAVELO_BINARY_DIR);
}

QString sourceDir()
{
    return QStringLiteral(QUAVELO_SOURCE_DIR);
}

ReadOnlyFolder::ReadOnlyFolder()
{
    if (!m_dir.isValid())
        return;
    if (::geteuid() != 0) {
        m_valid = true;
        return;
    }
    // Root writes through any permission: only a read-only mount stops it.
    const QByteArray where = QFile::encodeName(m_dir.path());
    m_mounted = ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=1m,mode=0755") == 0;
    m_valid = m_mounted;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    const QByteArray where = QFile::encodeName(m_dir.path());
    if (m_mounted)
        ::umount(where.constData());
    else if (m_locked)
        ::chmod(where.constData(), 0700);
}

void ReadOnlyFolder::put(const QString &name, std::string_view content)
{
    writeFile(m_dir.path() + QLatin1Char('/') + name, content);
}

bool ReadOnlyFolder::lock()
{
    const QByteArray where = QFile::encodeName(m_dir.path());
    if (m_mounted)
        m_locked = ::mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    else
        m_locked = ::chmod(where.constData(), 0555) == 0;
    return m_locked;
}

} // namespace testing_support
