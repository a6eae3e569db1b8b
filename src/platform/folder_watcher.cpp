#include "platform/folder_watcher.h"

#include "platform/file_operations.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

FolderWatcher::FolderWatcher(const QStringList& folders, int settleMs, QObject* parent)
    : QObject(parent), m_folders(folders), m_watcher(new QFileSystemWatcher(this)),
      m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        m_pending += rearm();
        // Before the news: whatever is written to a file put in place meanwhile is read
        // after this, or has an event of its own.
        rearmFiles();
        QStringList news;
        for (const QString& folder : std::as_const(m_folders)) {
            if (m_pending.contains(folder))
                news.append(folder);
        }
        m_pending.clear();
        if (!news.isEmpty())
            Q_EMIT changed(news);
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::onEvent);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderWatcher::onFileEvent);
    rearm();
}

void FolderWatcher::watchFiles(const QStringList& files)
{
    for (const QString& path : files) {
        const QString folder = QFileInfo(path).absolutePath();
        if (m_folders.contains(folder))
            m_files.push_back({path, folder, std::nullopt});
    }
    rearmFiles();
}

void FolderWatcher::onFileEvent(const QString& path)
{
    for (const WatchedFile& file : m_files) {
        if (file.path != path)
            continue;
        if (!m_pending.contains(file.folder))
            m_pending.append(file.folder);
        schedule();
    }
}

void FolderWatcher::rearmFiles()
{
    const QStringList watched = m_watcher->files();
    for (WatchedFile& file : m_files) {
        const std::optional<FileOperations::EntryStatus> now =
            FileOperations::resolvedStatus(file.path);
        std::optional<std::pair<quint64, quint64>> id;
        if (now && now->isRegularFile)
            id = std::pair{quint64(now->device), quint64(now->inode)};
        const bool armed = watched.contains(file.path);
        if (armed && id && id == file.watching)
            continue;
        // Gone, or another file under its name: the watch on the old one tells nothing.
        if (armed)
            m_watcher->removePath(file.path);
        file.watching.reset();
        if (id && m_watcher->addPath(file.path))
            file.watching = id;
    }
}

QStringList FolderWatcher::watchedFolders() const
{
    QStringList watched = m_watcher->directories();
    watched.removeIf([this](const QString& path) { return !m_folders.contains(path); });
    return watched;
}

void FolderWatcher::onEvent(const QString& path)
{
    if (m_folders.contains(path)) {
        if (!m_pending.contains(path))
            m_pending.append(path);
        schedule();
        return;
    }
    // A parent of a missing folder: only news when the folder is back.
    const QStringList back = rearm();
    if (!back.isEmpty()) {
        m_pending += back;
        schedule();
    }
}

void FolderWatcher::schedule()
{
    // Not restarted by later events: a steady stream still gives a reload now and then.
    if (!m_settle->isActive())
        m_settle->start();
}

QStringList FolderWatcher::rearm()
{
    QStringList cameBack;
    QStringList anchors;
    const QStringList watched = m_watcher->directories();
    for (const QString& folder : m_folders) {
        if (FileOperations::isDirectory(folder)) {
            if (!watched.contains(folder) && m_watcher->addPath(folder))
                cameBack.append(folder);
            continue;
        }
        if (watched.contains(folder)) {
            // Gone, or replaced by a file or a link: news too (a folder moved away tells
            // nothing itself; its parent's event brings us here).
            m_watcher->removePath(folder);
            cameBack.append(folder);
        }
        QString parent = QFileInfo(folder).absolutePath();
        while (!FileOperations::isDirectory(parent) && parent != QFileInfo(parent).absolutePath())
            parent = QFileInfo(parent).absolutePath();
        if (!m_folders.contains(parent) && !anchors.contains(parent))
            anchors.append(parent);
    }
    for (const QString& anchor : std::as_const(m_anchors)) {
        if (!anchors.contains(anchor))
            m_watcher->removePath(anchor);
    }
    for (const QString& anchor : std::as_const(anchors)) {
        if (!m_watcher->directories().contains(anchor))
            m_watcher->addPath(anchor);
    }
    m_anchors = anchors;
    return cameBack;
}
