#pragma once

#include <QDirIterator>
#include <QFile>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs `work` in a child process as a user without root's right to ignore permissions
// ("nobody" when the tests run as root, the caller itself otherwise) and returns its exit
// code. `folder` and everything in it are handed over to that user first. Codes from 100
// up are the helper's own failures.
inline int asPlainUser(const QString& folder, const std::function<int()>& work)
{
    if (::getuid() != 0)
        return work();
    constexpr uid_t nobody = 65534;
    QStringList paths{folder};
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    for (const QString& path : paths) {
        if (::lchown(QFile::encodeName(path).constData(), nobody, nobody) != 0)
            return 100;
    }
    const pid_t child = ::fork();
    if (child < 0)
        return 101;
    if (child == 0) {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(102);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 103;
    return WEXITSTATUS(status);
}
