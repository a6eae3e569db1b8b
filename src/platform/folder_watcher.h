#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// Watches folders for entries added, removed or renamed (not inside sub-folders). Events
// that arrive together are merged into one changed() signal naming the folders they came
// from, and a folder that was removed and made again is watched again (and named when it
// is back): while one is missing, its nearest existing parent is watched too, only to
// notice it coming back.
class FolderWatcher : public QObject {
    Q_OBJECT
public:
    // `settleMs` is how long events are gathered before changed() fires.
    explicit FolderWatcher(const QStringList& folders, int settleMs = 150,
                           QObject* parent = nullptr);

    // The folders being watched now (those that exist and could be watched).
    QStringList watchedFolders() const;

Q_SIGNALS:
    // `folders`: the watched folders whose entries changed, in the order they were given.
    void changed(const QStringList& folders);

private:
    void onEvent(const QString& path);
    void schedule();
    // Watches what exists again; the folders that came back or went.
    QStringList rearm();

    QStringList m_folders;
    QStringList m_pending;
    QStringList m_anchors;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};
