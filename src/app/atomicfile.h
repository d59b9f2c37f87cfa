#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace atomicfile {

// The whole content of a file, or nothing when it cannot be read (missing included).
std::optional<std::string> readAll(const QString &path);

// Writes the new content of a file into a temporary file in the same folder (the file's
// name followed by ".tmp-" and six random characters), which commit() renames over the
// target, so that readers see the old content or the new, never a part. Until then the
// target is untouched; a writer that is destroyed without a commit removes its temporary
// file. A target that exists but may not be written is refused, and a symbolic link has
// the file it points to replaced, not the link.
class Writer
{
public:
    explicit Writer(const QString &path);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(std::string_view data);
    // Flushes the content to disk and closes the temporary file; commit() does it too.
    bool finish();
    bool commit();
    void discard();

private:
    // Opens a new temporary file beside the target, or -1.
    int createTemporary(mode_t mode);

    QByteArray m_target;
    QByteArray m_tempName;
    int m_fd = -1;
    bool m_failed = false;
};

// Replaces the file at path with data through a Writer. Returns false on any failure,
// leaving the old file as it was.
bool writeAll(const QString &path, std::string_view data);

// Replaces destination with the content of source through a Writer. False when the
// source cannot be read or the destination cannot be written, which then stays as it was.
bool copyFile(const QString &source, const QString &destination);

// Removes the temporary files of path that writers killed before their commit left
// behind. Only for a file that no other process may be writing at the same time.
void removeLeftovers(const QString &path);

} // namespace atomicfile
