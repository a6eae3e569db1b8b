#include "platform/folder_watcher.h"

#include "platform/file_operations.h"

#include <QFileSystemWatcher>
#include <QTimer>

FolderWatcher::FolderWatcher(const QStringList& folders, int settleMs, QObject* parent)
    : QObject(parent), m_folders(folders), m_watcher(new QFileSystemWatcher(this)),
      m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        rearm();
        Q_EMIT changed();
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::onEvent);
    rearm();
}

QStringList FolderWatcher::watchedFolders() const
{
    return m_watcher->directories();
}

void FolderWatcher::onEvent()
{
    // Not restarted by later events: a steady stream still gives a reload now and then.
    if (!m_settle->isActive())
        m_settle->start();
}

void FolderWatcher::rearm()
{
    const QStringList watched = m_watcher->directories();
    for (const QString& folder : m_folders) {
        if (FileOperations::isDirectory(folder)) {
            if (!watched.contains(folder))
                m_watcher->addPath(folder);
        } else if (watched.contains(folder)) {
            // Gone or replaced by a link or a file: the old watch no longer means anything.
            m_watcher->removePath(folder);
        }
    }
}
