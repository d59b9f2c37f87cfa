#pragma once

#include <QString>
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

} // namespace testing_support
