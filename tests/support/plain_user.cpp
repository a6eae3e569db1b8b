#include "support/plain_user.h"

#include <QDirIterator>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

int asPlainUser(const QString& folder, const std::function<int()>& work)
{
    if (::getuid() != 0)
        return work();
    constexpr uid_t nobody = 65534;
    if (::lchown(QFile::encodeName(folder).constData(), nobody, nobody) != 0)
        return 100;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (::lchown(QFile::encodeName(it.next()).constData(), nobody, nobody) != 0)
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
