#pragma once

#include <QObject>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class QFileSystemWatcher;
class QTimer;

// Watches folders for entries added, removed or renamed (not inside sub-folders), and the
// files named by watchFiles() for content written over in place (truncated and written
// again, no rename), which a folder's watch does not tell. Events that arrive together are
// merged into one changed() signal naming the folders they came from, and a folder that was
// removed and made again is watched again (and named when it is back): while one is
// missing, its nearest existing parent is watched too, only to notice it coming back.
class FolderWatcher : public QObject {
    Q_OBJECT
public:
    // `settleMs` is how long events are gathered before changed() fires.
    explicit FolderWatcher(const QStringList& folders, int settleMs = 150,
                           QObject* parent = nullptr);

    // The folders being watched now (those that exist and could be watched).
    QStringList watchedFolders() const;
    // Also watches these files, each directly inside one of the folders, for their content:
    // a change names the file's folder. A file replaced by a rename is watched again, as
    // the one there now, before changed() is emitted for its folder.
    void watchFiles(const QStringList& files);

Q_SIGNALS:
    // `folders`: the watched folders whose entries changed, in the order they were given.
    void changed(const QStringList& folders);

private:
    void onEvent(const QString& path);
    void onFileEvent(const QString& path);
    void schedule();
    // Watches what exists again; the folders that came back or went.
    QStringList rearm();
    // Watches each file as the one its name leads to now.
    void rearmFiles();

    QStringList m_folders;
    struct WatchedFile {
        QString path;
        QString folder;
        // The file the watch is on (a rename puts another in its place): device and inode.
        std::optional<std::pair<quint64, quint64>> watching;
    };
    std::vector<WatchedFile> m_files;
    QStringList m_pending;
    QStringList m_anchors;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};
