#pragma once

#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

#include <functional>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

constexpr uid_t kPlainUser = 65534; // "nobody"

// Hands `folder` and everything in it over to the plain user; false when that fails.
inline bool handOverToPlainUser(const QString& folder)
{
    QStringList paths{folder};
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    for (const QString& path : paths) {
        if (::lchown(QFile::encodeName(path).constData(), kPlainUser, kPlainUser) != 0)
            return false;
    }
    return true;
}

// Runs `work` in a child process as a user without root's right to ignore permissions
// ("nobody" when the tests run as root, the caller itself otherwise) and returns its exit
// code. `folder` and everything in it are handed over to that user first. Codes from 100
// up are the helper's own failures.
inline int asPlainUser(const QString& folder, const std::function<int()>& work)
{
    if (::getuid() != 0)
        return work();
    if (!handOverToPlainUser(folder))
        return 100;
    const pid_t child = ::fork();
    if (child < 0)
        return 101;
    if (child == 0) {
        if (::setgid(kPlainUser) != 0 || ::setuid(kPlainUser) != 0)
            ::_exit(102);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 103;
    return WEXITSTATUS(status);
}

// What to put in front of a command so that it runs as the same plain user: nothing when
// the tests do not run as root, else setpriv with that user's ids; `folders` are handed
// over to that user first. No answer when that cannot be done.
inline std::optional<QStringList> plainUserCommand(const QStringList& folders)
{
    if (::getuid() != 0)
        return QStringList();
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    for (const QString& folder : folders) {
        if (setpriv.isEmpty() || !handOverToPlainUser(folder))
            return std::nullopt;
    }
    const QString id = QString::number(kPlainUser);
    return QStringList{setpriv, QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                       QStringLiteral("--clear-groups")};
}
