#include "background_work.h"

#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

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

void letThreadsGo()
{
    QThreadPool::globalInstance()->waitForDone();
    if (s_pool)
        s_pool->waitForDone();
    const QMutexLocker lock(&s_trackedMutex);
    for (QThreadPool* tracked : std::as_const(s_tracked))
        tracked->waitForDone();
}

void settlePaintingHelpers()
{
    QThreadPool::globalInstance()->setMaxThreadCount(1);
}

} // namespace BackgroundWork
