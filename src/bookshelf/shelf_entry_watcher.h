#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// Tells the shelf when an entry may measure differently while the shelf's own list stays
// the same: names added to or taken from a shelved folder, a shelved file written to or
// replaced. Entries are watched through their links, so the folder or file a link points
// to is what is watched. Events that come together are merged into one changed().
class ShelfEntryWatcher : public QObject {
    Q_OBJECT
public:
    explicit ShelfEntryWatcher(int settleMs = 200, QObject* parent = nullptr);

    // Watches these entries (and only these) from now on; one that cannot be watched yet
    // (its target is missing) is tried again at the next change.
    void watch(const QStringList& paths);
    QStringList watched() const;

Q_SIGNALS:
    // The watched entries that changed, in the order watch() was given them.
    void changed(const QStringList& paths);

private:
    void onEvent(const QString& path);
    void rearm();

    QStringList m_paths;
    QStringList m_pending;
    QFileSystemWatcher* m_watcher;
    QTimer* m_settle;
};
