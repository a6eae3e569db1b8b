#include "bookshelf/shelf_entry_watcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

ShelfEntryWatcher::ShelfEntryWatcher(int settleMs, QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        // A file replaced by a rename, or a folder that went, is no longer watched.
        rearm();
        QStringList news;
        for (const QString& path : std::as_const(m_paths)) {
            if (m_pending.contains(path))
                news.append(path);
        }
        m_pending.clear();
        if (!news.isEmpty())
            Q_EMIT changed(news);
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &ShelfEntryWatcher::onEvent);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &ShelfEntryWatcher::onEvent);
}

void ShelfEntryWatcher::watch(const QStringList& paths)
{
    QStringList stale = watched();
    stale.removeIf([&paths](const QString& path) { return paths.contains(path); });
    if (!stale.isEmpty())
        m_watcher->removePaths(stale);
    m_paths = paths;
    m_pending.removeIf([this](const QString& path) { return !m_paths.contains(path); });
    rearm();
}

QStringList ShelfEntryWatcher::watched() const
{
    return m_watcher->files() + m_watcher->directories();
}

void ShelfEntryWatcher::onEvent(const QString& path)
{
    if (!m_paths.contains(path))
        return;
    if (!m_pending.contains(path))
        m_pending.append(path);
    // Not restarted by later events: a file being written still reads anew now and then.
    if (!m_settle->isActive())
        m_settle->start();
}

void ShelfEntryWatcher::rearm()
{
    const QStringList now = watched();
    QStringList missing;
    for (const QString& path : std::as_const(m_paths)) {
        // One whose target is gone stays out until a later change finds it back.
        if (!now.contains(path) && QFileInfo::exists(path))
            missing.append(path);
    }
    if (!missing.isEmpty())
        m_watcher->addPaths(missing);
}
