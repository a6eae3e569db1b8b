#include "background_work.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace {
QThreadPool* s_pool = nullptr;

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

void settlePaintingHelpers()
{
    QThreadPool::globalInstance()->setMaxThreadCount(1);
}

} // namespace BackgroundWork
