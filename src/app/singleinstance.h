#pragma once

#include <QString>

// One running instance per folder of the program's files. The settings file, the
// catalogue copy and the temporary tune files of an instance all lie in that folder, so
// a second instance there would share them; copies of the program that keep their files
// elsewhere run side by side. The guard is an advisory lock on the folder itself, the
// same whatever the environment says; the kernel drops it when the process ends, however
// it ends, so a crashed instance never blocks the next start.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(QString folder);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // False only when another instance holds the folder. A folder that cannot be opened
    // or locked weakens the guard but does not stop the start.
    bool acquire();

private:
    QString m_folder;
    int m_fd = -1;
};
