#pragma once

#include <QString>

// One running instance per user. The guard is an advisory lock on a per-user lock file;
// the kernel drops it when the process ends, however it ends, so a crashed instance
// never blocks the next start.
class SingleInstanceGuard
{
public:
    // The lock file: in the user's runtime folder ($XDG_RUNTIME_DIR) when there is one,
    // else in /tmp, named after the user id.
    static QString lockFilePath();

    SingleInstanceGuard() = default;
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // False only when another instance of this user holds the lock. A lock file that
    // cannot be opened weakens the guard but does not stop the start.
    bool acquire();

private:
    int m_fd = -1;
};
