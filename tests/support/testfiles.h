#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <string_view>

namespace testing_support {

// The bytes of a file, or "<missing>" when it cannot be read.
std::string readFile(const QString &path);
void writeFile(const QString &path, std::string_view content);

// The program binary and the folders of the build and the source tree.
QString binaryDir();
QString sourceDir();

// A folder in which nothing may be created, changed or removed, whoever the test runs
// as: permissions for an ordinary user, a read-only mount for root. Files placed with
// put() before lock() stay readable.
class ReadOnlyFolder
{
public:
    ReadOnlyFolder();
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    // False when the machine cannot make such a folder (the test then skips).
    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    void put(const QString &name, std::string_view content);
    bool lock();

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
    bool m_mounted = false;
    bool m_locked = false;
};

// A folder on a disk that fill() leaves without room: a file system of its own of
// sizeKiB, filled to the last byte, where the test may mount one (root), else a limit of
// zero on the size of every file that this process and the programs it starts from then
// on write, as "ulimit -f 0" sets it, until the object goes. fill(room) leaves room bytes
// (whole pages of 4 KiB) free, or lets a file grow to room bytes. Files placed with put()
// before fill() stay readable.
class FullFolder
{
public:
    explicit FullFolder(int sizeKiB = 256);
    ~FullFolder();
    FullFolder(const FullFolder &) = delete;
    FullFolder &operator=(const FullFolder &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    void put(const QString &name, std::string_view content);
    // The files in the folder, the filler of a full file system left out.
    QStringList files() const;
    void fill(qint64 room = 0);

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    bool m_limited = false;
};

} // namespace testing_support
