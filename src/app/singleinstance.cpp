#include "app/singleinstance.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

SingleInstanceGuard::SingleInstanceGuard(QString folder)
    : m_folder(std::move(folder))
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceGuard::acquire()
{
    // Close-on-exec: a browser started by the program must not inherit the lock.
    const QByteArray path = QFile::encodeName(m_folder);
    m_fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return true;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool heldByOther = errno == EWOULDBLOCK;
    ::close(m_fd);
    m_fd = -1;
    return !heldByOther;
}
