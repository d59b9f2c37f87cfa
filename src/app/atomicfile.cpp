#include "app/atomicfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {

std::optional<std::string> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return std::string(bytes.constData(), bytes.size());
}

namespace {

bool writeFully(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool writeAll(const QString &path, std::string_view data)
{
    // Replace the file that a symbolic link points to, not the link.
    QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    info = QFileInfo(target);

    mode_t mode = 0666;
    if (info.exists()) {
        if (!info.isFile() || !info.isWritable())
            return false;
        struct stat st {};
        if (::stat(QFile::encodeName(target).constData(), &st) == 0)
            mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    const QByteArray targetName = QFile::encodeName(target);
    QByteArray tempName = targetName + ".XXXXXX";
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, mode) == 0 && writeFully(fd, data) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(tempName.constData(), targetName.constData()) != 0) {
        ::unlink(tempName.constData());
        return false;
    }
    syncFolder(QFile::encodeName(info.absolutePath()));
    return true;
}

} // namespace atomicfile
