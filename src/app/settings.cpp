#include "app/settings.h"

#include "app/atomicfile.h"
#include "app/inidocument.h"
#include "app/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include <charconv>
#include <cstdint>
#include <sys/stat.h>

SettingsError::SettingsError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

SettingsError SettingsError::cannotWrite(const QString &path)
{
    return SettingsError(QStringLiteral("%1 に書き込めません").arg(path));
}

SettingsError SettingsError::cannotCreate(const QString &path)
{
    return SettingsError(QStringLiteral("ファイル %1 を作成できません").arg(path));
}

QString ExecutableFilePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString ProgramFilesFolder(const QString &executableFolder)
{
    const QFileInfo folder(executableFolder);
    if (!folder.isDir() || folder.isWritable())
        return executableFolder;
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataFolder.isEmpty() || !QDir().mkpath(dataFolder))
        return executableFolder; // the first write says what went wrong
    return dataFolder;
}

QString SettingsBaseOf(const QString &executablePath)
{
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = executablePath.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? executablePath.left(dot) : executablePath;
}

QString SettingsFileOf(const QString &base)
{
    return base + QStringLiteral(".ini");
}

int ParseIniInt(std::string_view text, int defaultValue)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return defaultValue;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return defaultValue;
    // Hexadecimal spans the 32 bits (0xFFFFFFFF is -1); decimal must fit an int.
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFu)
            return defaultValue;
        const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        return negative ? static_cast<int>(0u - static_cast<std::uint32_t>(bits)) : bits;
    }
    if (magnitude > (negative ? 2147483648u : 2147483647u))
        return defaultValue;
    return negative ? static_cast<int>(-static_cast<std::int64_t>(magnitude)) : static_cast<int>(magnitude);
}

namespace {

IniDocument loadDocument(const QString &base)
{
    const auto content = atomicfile::readAll(SettingsFileOf(base));
    return content ? IniDocument(*content) : IniDocument();
}

std::string cutValue(std::string_view value)
{
    return std::string(text::cutToBytes(value, maxIniValueBytes));
}

} // namespace

std::string ReadIniString(const QString &base, std::string_view section, std::string_view key,
                          std::string_view defaultValue)
{
    const auto value = loadDocument(base).value(section, key);
    return cutValue(value ? *value : defaultValue);
}

void WriteIniString(const QString &base, std::string_view section, std::string_view key,
                    std::string_view value)
{
    EditIniFile(base, [&](IniDocument &document) {
        document.setValue(section, key, value);
        return true;
    });
}

int ReadIniInt(const QString &base, std::string_view section, std::string_view key, int defaultValue)
{
    const auto value = loadDocument(base).value(section, key);
    return value ? ParseIniInt(text::cutToBytes(*value, maxIniValueBytes), defaultValue) : defaultValue;
}

void WriteIniInt(const QString &base, std::string_view section, std::string_view key, int value)
{
    WriteIniString(base, section, key, std::to_string(value));
}

bool ReadIniBool(const QString &base, std::string_view section, std::string_view key, bool defaultValue)
{
    return ReadIniInt(base, section, key, defaultValue ? 1 : 0) != 0;
}

void WriteIniBool(const QString &base, std::string_view section, std::string_view key, bool value)
{
    WriteIniString(base, section, key, value ? "1" : "0");
}

void EraseIniSection(const QString &base, std::string_view section)
{
    EditIniFile(base, [&](IniDocument &document) { return document.eraseSection(section); });
}

void ReadIniList(const QString &base, std::string_view section, std::vector<std::string> &list)
{
    list = loadDocument(base).listValues(section);
    for (std::string &value : list) {
        if (value.size() > maxIniValueBytes)
            value = cutValue(value);
    }
}

void WriteIniList(const QString &base, std::string_view section, const std::vector<std::string> &list,
                  int maximum)
{
    std::size_t count = list.size();
    if (maximum >= 1 && std::size_t(maximum) <= count)
        count = std::size_t(maximum);
    const std::vector<std::string> values(list.begin(), list.begin() + std::ptrdiff_t(count));
    EditIniFile(base, [&](IniDocument &document) { return document.replaceListSection(section, values); });
}

void RenameIniSection(const QString &base, std::string_view oldName, std::string_view newName)
{
    EditIniFile(base, [&](IniDocument &document) { return document.renameSection(oldName, newName); });
}

void EditIniFile(const QString &base, const std::function<bool(IniDocument &)> &change)
{
    IniDocument document = loadDocument(base);
    if (!change(document))
        return;
    const QString path = SettingsFileOf(base);
    if (!atomicfile::writeAll(path, document.toString()))
        throw SettingsError::cannotWrite(QFileInfo(path).absoluteFilePath());
}

void ReadFormPos(const QString &base, std::string_view section, std::string_view prefix, QWidget *window)
{
    const std::string topKey = std::string(prefix) + "Top";
    const std::string leftKey = std::string(prefix) + "Left";
    window->move(window->x(), ReadIniInt(base, section, topKey, window->y()));
    window->move(ReadIniInt(base, section, leftKey, window->x()), window->y());
}

void WriteFormPos(const QString &base, std::string_view section, std::string_view prefix,
                  const QWidget *window)
{
    WriteIniInt(base, section, std::string(prefix) + "Top", window->y());
    WriteIniInt(base, section, std::string(prefix) + "Left", window->x());
}

bool CopyFileOver(const QString &source, const QString &destination, bool overwrite)
{
    const bool copied = (overwrite || !QFileInfo::exists(destination)) && atomicfile::copyFile(source, destination);
    const QByteArray name = QFile::encodeName(destination);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::chmod(name.constData(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR);
    return copied;
}

void GetWorkAreaExtent(int &right, int &bottom)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    right = area.x() + area.width();
    bottom = area.y() + area.height();
}
