#include "background_work.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QThreadPool>

#include <unistd.h>

namespace {
QThreadPool* s_pool = nullptr;

QMutex s_trackedMutex;
QList<QThreadPool*> s_tracked;

void finishJobs()
{
    // Jobs report to objects of the application: they end while it still exists.
    if (s_pool) {
        s_pool->waitForDone();
        delete s_pool;
        s_pool = nullptr;
    }
}

// The name the system knows a thread of a pool named `poolName` by.
QByteArray poolThreadName(const QString& poolName)
{
    // As QThreadPool names its threads, cut to the system's 15 bytes.
    const QString name = poolName.isEmpty() ? QStringLiteral("Thread (pooled)") : poolName;
    return name.toLocal8Bit().left(15);
}

// Whether a thread of this process other than the calling one goes by one of `names`.
bool poolThreadLeft(const QList<QByteArray>& names)
{
    const QString self = QString::number(::gettid());
    const QString tasks = QStringLiteral("/proc/self/task");
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& thread : threads) {
        if (thread == self)
            continue;
        QFile comm(tasks + QLatin1Char('/') + thread + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && names.contains(comm.readAll().trimmed()))
            return true;
    }
    return false;
}
} // namespace

namespace BackgroundWork {

QThreadPool* pool()
{
    if (!s_pool) {
        s_pool = new QThreadPool;
        s_pool->setObjectName(QStringLiteral("BackgroundWork"));
        qAddPostRoutine(finishJobs);
    }
    return s_pool;
}

void track(QThreadPool* pool)
{
    const QMutexLocker lock(&s_trackedMutex);
    s_tracked.append(pool);
}

void untrack(QThreadPool* pool)
{
    const QMutexLocker lock(&s_trackedMutex);
    s_tracked.removeOne(pool);
}

bool letThreadsGo()
{
    // The system's names of the pools' threads: a pool's own name, or Qt's for an unnamed
    // one (every writer's and the Trash's, and those of pools already deleted).
    QList<QByteArray> names{poolThreadName(QString())};
    const auto joined = [&names](QThreadPool* pool) {
        pool->waitForDone();
        names.append(poolThreadName(pool->objectName()));
    };
    joined(QThreadPool::globalInstance());
    if (s_pool)
        joined(s_pool);
    {
        const QMutexLocker lock(&s_trackedMutex);
        for (QThreadPool* tracked : std::as_const(s_tracked))
            joined(tracked);
    }
    // A pool's thread counts as ended once its last job has returned, but the system thread
    // goes on a little longer: its thread-local objects are destroyed and the sanitizer's
    // allocator takes its caches back, under the allocator's locks. Fork in that moment and
    // the child inherits a lock nobody will let go. So wait until the threads are gone.
    const QDeadlineTimer deadline(10000);
    while (poolThreadLeft(names)) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(500);
    }
    return true;
}

void settlePaintingHelpers()
{
    QThreadPool::globalInstance()->setMaxThreadCount(1);
}

} // namespace BackgroundWork
