#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// Watches folders for entries added, removed or renamed (not inside sub-folders). Events
// that arrive together are merged into one changed() signal, and a folder that was
// removed and made again is watched again.
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
    void onEvent();
    void rearm();

    QStringList m_folders;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};
