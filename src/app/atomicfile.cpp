#include "app/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {

std::optional<std::string> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read straight into the string: a catalogue is megabytes, and every copy of it costs
    // as much as splitting it.
    std::string content;
    std::size_t filled = 0;
    content.resize(std::size_t(std::max<qint64>(file.size(), 0)) + 1);
    for (;;) {
        const qint64 got = file.read(content.data() + filled, qint64(content.size() - filled));
        if (got < 0)
            return std::nullopt;
        filled += std::size_t(got);
        if (got == 0 || file.atEnd())
            break;
        if (filled == content.size())
            content.resize(content.size() * 2);
    }
    content.resize(filled);
    return content;
}

namespace {

constexpr char temporarySuffix[] = ".tmp-";

// A link is written through: its temporary files lie beside the file it points to.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

void syncFolderOf(const QByteArray &file)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(file)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Writer::Writer(const QString &path)
{
    const QString target = resolvedTarget(path);
    const QFileInfo info(target);

    std::optional<mode_t> targetMode;
    if (info.exists()) {
        if (!info.isFile() || !info.isWritable())
            return;
        struct stat st {};
        if (::stat(QFile::encodeName(target).constData(), &st) == 0)
            targetMode = st.st_mode & 07777;
    }

    m_target = QFile::encodeName(target);
    // A new file gets the mode that the kernel derives from 0666, the umask and the
    // folder's default ACL; a replaced one keeps its own mode.
    m_fd = createTemporary(targetMode ? 0600 : 0666);
    if (m_fd >= 0 && targetMode && ::fchmod(m_fd, *targetMode) != 0)
        discard();
}

int Writer::createTemporary(mode_t mode)
{
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = m_target + temporarySuffix;
        for (int i = 0; i < 6; ++i)
            name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_tempName = name;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

Writer::~Writer()
{
    discard();
}

bool Writer::write(std::string_view data)
{
    if (m_fd < 0 || m_failed)
        return false;
    while (!data.empty()) {
        const ssize_t n = ::write(m_fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_failed = true;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

bool Writer::finish()
{
    if (m_fd < 0)
        return !m_failed && !m_tempName.isEmpty();
    const bool synced = !m_failed && ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    m_failed = !synced || !closed;
    return !m_failed;
}

bool Writer::commit()
{
    if (!finish() || ::rename(m_tempName.constData(), m_target.constData()) != 0) {
        discard();
        return false;
    }
    m_tempName.clear();
    syncFolderOf(m_target);
    return true;
}

void Writer::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlink(m_tempName.constData());
        m_tempName.clear();
    }
    m_failed = true;
}

bool writeAll(const QString &path, std::string_view data)
{
    Writer writer(path);
    return writer.isOpen() && writer.write(data) && writer.commit();
}

bool copyFile(const QString &source, const QString &destination)
{
    const auto content = readAll(source);
    return content && writeAll(destination, *content);
}

void removeLeftovers(const QString &path)
{
    const QFileInfo target(resolvedTarget(path));
    const QString prefix = target.fileName() + QLatin1String(temporarySuffix);
    // mkostemp's six characters are letters and digits.
    const QRegularExpression leftover(QStringLiteral("^%1[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(prefix)));
    QDir folder = target.absoluteDir();
    const QStringList candidates = folder.entryList({prefix + QStringLiteral("*")}, QDir::Files | QDir::Hidden);
    for (const QString &name : candidates) {
        if (leftover.match(name).hasMatch())
            folder.remove(name);
    }
}

} // namespace atomicfile
