#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// Watches folders for entries added, removed or renamed (not inside sub-folders). Events
// that arrive together are merged into one changed() signal, and a folder that was
// removed and made again is watched again: while one is missing, its nearest existing
// parent is watched too, only to notice it coming back.
class FolderWatcher : public QObject {
    Q_OBJECT
public:
    // `settleMs` is how long events are gathered before changed() fires.
    explicit FolderWatcher(const QStringList& folders, int settleMs = 150,
                           QObject* parent = nullptr);

    // The folders being watched now (those that exist and could be watched).
    QStringList watchedFolders() const;

Q_SIGNALS:
    void changed();

private:
    void onEvent(const QString& path);
    void schedule();
    // Watches what exists again; true when a folder came back.
    bool rearm();

    QStringList m_folders;
    QStringList m_anchors;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};
