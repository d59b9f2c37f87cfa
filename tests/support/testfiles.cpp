#include "support/testfiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
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
    m_mounted = ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64m,mode=0755") == 0;
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

FullFolder::FullFolder(int sizeKiB)
{
    if (m_dir.isValid() && ::geteuid() == 0) {
        const QByteArray where = QFile::encodeName(m_dir.path());
        const QByteArray options = "size=" + QByteArray::number(sizeKiB) + "k,mode=0755";
        m_mounted = ::mount("tmpfs", where.constData(), "tmpfs", 0, options.constData()) == 0;
    }
}

FullFolder::~FullFolder()
{
    if (m_limited) {
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
    }
    if (m_mounted)
        ::umount(QFile::encodeName(m_dir.path()).constData());
}

void FullFolder::put(const QString &name, std::string_view content)
{
    writeFile(m_dir.path() + QLatin1Char('/') + name, content);
}

QStringList FullFolder::files() const
{
    QStringList names = QDir(m_dir.path()).entryList(QDir::Files);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

void FullFolder::fill(qint64 room)
{
    if (m_mounted) {
        QFile filler(m_dir.path() + QStringLiteral("/.filler"));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.resize(std::max<qint64>(filler.size() - room, 0));
        }
        return;
    }
    // A write past the limit then fails with EFBIG instead of ending the process.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(room), RLIM_INFINITY};
    m_limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace testing_support
