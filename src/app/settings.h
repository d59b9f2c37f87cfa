#pragma once

// Access to the settings file. Every operation takes the settings base (the full path of
// the executable without its extension), appends ".ini" itself and is complete in itself:
// it opens the file, does one read or one write and closes it again. There is no cache,
// so a value written by one window is seen at once by the other.
//
// Sections, keys and values are CP932 bytes. A write that the system refuses throws
// SettingsError; the file is then left as it was.

#include <QString>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class IniDocument;
class QWidget;

class SettingsError : public std::runtime_error
{
public:
    explicit SettingsError(const QString &message);
    QString message() const { return m_message; }

    // "%s に書き込めません" with the file's full path.
    static SettingsError cannotWrite(const QString &path);
    // "ファイル %s を作成できません" with the file's full path.
    static SettingsError cannotCreate(const QString &path);

private:
    QString m_message;
};

// Values longer than this are cut on reading.
constexpr std::size_t maxIniValueBytes = 2047;

// The full path of the running executable, links resolved.
QString ExecutableFilePath();

// The folder for the settings file, the catalogue copy and the temporary tune files:
// the executable's own folder when it can be written to (a build, a portable copy), else
// the per-user data folder (an installed program in /usr/bin, say).
QString ProgramFilesFolder(const QString &executableFolder);
// The executable's full path without its extension: the text from the last "." that
// stands after the last "/" is removed; a name without such a "." is taken whole.
QString SettingsBaseOf(const QString &executablePath);
QString SettingsFileOf(const QString &base);

// Decimal, or hexadecimal after "0x", "0X" or "$"; anything else gives the default.
int ParseIniInt(std::string_view text, int defaultValue);

int ReadIniInt(const QString &base, std::string_view section, std::string_view key, int defaultValue);
void WriteIniInt(const QString &base, std::string_view section, std::string_view key, int value);
bool ReadIniBool(const QString &base, std::string_view section, std::string_view key, bool defaultValue);
void WriteIniBool(const QString &base, std::string_view section, std::string_view key, bool value);
std::string ReadIniString(const QString &base, std::string_view section, std::string_view key,
                          std::string_view defaultValue);
void WriteIniString(const QString &base, std::string_view section, std::string_view key,
                    std::string_view value);
void EraseIniSection(const QString &base, std::string_view section);

// Clears the list, then fills it with the section's values in line order: everything
// after the first "=" of each line, empty values and repeated keys left out.
void ReadIniList(const QString &base, std::string_view section, std::vector<std::string> &list);
// Replaces the section by keys 1 to n holding the list's items, in one rewrite of the
// file; n is the list's count, or maximum when that lies between 1 and the count.
void WriteIniList(const QString &base, std::string_view section, const std::vector<std::string> &list,
                  int maximum);
void RenameIniSection(const QString &base, std::string_view oldName, std::string_view newName);

// Makes several changes in one rewrite of the file, so that a reader, and a crash, find
// either all of them or none. change tells whether it changed anything; only then is the
// file written.
void EditIniFile(const QString &base, const std::function<bool(IniDocument &)> &change);

// The window's top and left from keys prefix + "Top" and prefix + "Left"; the current
// values are the defaults.
void ReadFormPos(const QString &base, std::string_view section, std::string_view prefix, QWidget *window);
void WriteFormPos(const QString &base, std::string_view section, std::string_view prefix,
                  const QWidget *window);

// Copies source over destination (failing when it exists and overwrite is not set), then
// leaves the destination an ordinary writable file whatever the copy's outcome.
bool CopyFileOver(const QString &source, const QString &destination, bool overwrite);

// Right and bottom edge of the primary screen's work area; both stay as they were when
// there is no screen.
void GetWorkAreaExtent(int &right, int &bottom);
