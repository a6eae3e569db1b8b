#pragma once

#include "platform/background_work.h"

#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QThreadPool>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

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

// What a piece of work run as the plain user came to: its exit code (0 when it succeeded)
// and what went wrong, as the work said it (plainUserFailure) or the helper found it.
struct PlainUserOutcome {
    int code = 0;
    QString message;

    bool succeeded() const { return code == 0; }
    // "outcome 5: notes.json was not kept", for QVERIFY2.
    QByteArray report() const
    {
        return (QStringLiteral("outcome %1").arg(code) +
                (message.isEmpty() ? QString() : QStringLiteral(": ") + message))
            .toLocal8Bit();
    }
};

namespace PlainUserReport {
// Where the work's messages go: the pipe to the parent in a child, else `said`.
inline int fd = -1;
inline QString said;
} // namespace PlainUserReport

// For the work: says why it failed and gives `code` back to return.
inline int plainUserFailure(int code, const QString& why)
{
    if (PlainUserReport::fd < 0) {
        PlainUserReport::said +=
            (PlainUserReport::said.isEmpty() ? QString() : QStringLiteral("; ")) + why;
        return code;
    }
    const QByteArray bytes = why.toUtf8() + '\n';
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n =
            ::write(PlainUserReport::fd, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (n <= 0)
            break;
        sent += n;
    }
    return code;
}

// Runs `work` in this process, collecting what it says.
inline PlainUserOutcome runHere(const std::function<int()>& work)
{
    PlainUserReport::said.clear();
    const int code = work();
    return {code, std::exchange(PlainUserReport::said, {})};
}

// Runs `work` in a child process as a user without root's right to ignore permissions
// ("nobody" when the tests run as root, the caller itself otherwise) and returns what it
// came to. `folder` and everything in it are handed over to that user first. Codes from 100
// up are the helper's own failures, named in the message.
inline PlainUserOutcome asPlainUser(const QString& folder, const std::function<int()>& work)
{
    if (::getuid() != 0)
        return runHere(work);
    const auto failed = [](int code, const QString& why) {
        return PlainUserOutcome{code, why + QStringLiteral(": ") +
                                          QString::fromLocal8Bit(std::strerror(errno))};
    };
    if (!handOverToPlainUser(folder))
        return failed(100, QStringLiteral("could not hand ") + folder + QStringLiteral(" over"));
    // A forked child has only the thread that forked: a pool would hand its work to threads
    // that do not exist there, and the child waits for it for good. And a thread that
    // allocated, or ended, as the process forked may have held one of the allocator's locks
    // (the sanitizer's has no fork handler), which the child's first new thread then waits
    // for for good. Every pool lets its threads go first, and they are gone before the fork,
    // so the child's pools start their own.
    if (!BackgroundWork::letThreadsGo())
        qWarning("a pool's thread was still running as the work was forked as the plain user");
    int report[2] = {-1, -1};
    if (::pipe2(report, O_CLOEXEC) != 0)
        return failed(101, QStringLiteral("no pipe for the child's report"));
    // Nor can the child's new threads make a GLib main context of their own: GLib's allocator
    // may have been locked by one of this process's other threads (D-Bus, GIO) as it forked,
    // and the child's first thread then waits for that lock for good. Threads the child
    // starts take Qt's own event loop instead.
    const bool threadedGlib = qEnvironmentVariableIsEmpty("QT_NO_THREADED_GLIB");
    if (threadedGlib)
        qputenv("QT_NO_THREADED_GLIB", "1");
    const pid_t child = ::fork();
    if (threadedGlib && child != 0)
        qunsetenv("QT_NO_THREADED_GLIB");
    if (child < 0) {
        const PlainUserOutcome outcome = failed(101, QStringLiteral("could not fork"));
        ::close(report[0]);
        ::close(report[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(report[0]);
        PlainUserReport::fd = report[1];
        if (::setgid(kPlainUser) != 0 || ::setuid(kPlainUser) != 0)
            ::_exit(plainUserFailure(102, QStringLiteral("could not become user %1: %2")
                                              .arg(kPlainUser)
                                              .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        ::_exit(work());
    }
    ::close(report[1]);
    QByteArray said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            said.append(buffer, n);
        else if (errno != EINTR)
            break;
    }
    ::close(report[0]);
    QString message =
        QString::fromUtf8(said).trimmed().replace(QLatin1Char('\n'), QStringLiteral("; "));
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return failed(103, QStringLiteral("lost the child"));
    if (WIFSIGNALED(status))
        return {103, QStringLiteral("the child was ended by signal %1 (%2)")
                         .arg(WTERMSIG(status))
                         .arg(QString::fromLocal8Bit(::strsignal(WTERMSIG(status))))};
    return {WEXITSTATUS(status), message};
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
