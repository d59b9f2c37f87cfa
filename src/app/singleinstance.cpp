#include "app/singleinstance.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString SingleInstanceGuard::lockFilePath()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    const QString folder = (runtime && *runtime) ? QFile::decodeName(runtime) : QStringLiteral("/tmp");
    return QStringLiteral("%1/quavelo-%2.lock").arg(folder).arg(::getuid());
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceGuard::acquire()
{
    // Close-on-exec: a browser started by the program must not inherit the lock.
    const QByteArray path = QFile::encodeName(lockFilePath());
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return true;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool heldByOther = errno == EWOULDBLOCK;
    ::close(m_fd);
    m_fd = -1;
    return !heldByOther;
}
