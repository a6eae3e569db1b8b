#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <optional>

class QFileSystemWatcher;
class QTimer;

// Tells when entries may read differently while the folder that lists them stays the same:
// names added to or taken from a watched folder, a watched file written to or replaced,
// what an entry leads to going away (deleted, moved, to the Trash) or coming back, and its
// permissions changed.
// Entries are watched through their links, so the folder or file a link points to is what
// is watched, and the folder that holds it (or, while that is gone too, the nearest folder
// above it that exists): that one sees it go and come back. Events that come together are
// merged into one changed().
class EntryWatcher : public QObject {
    Q_OBJECT
public:
    explicit EntryWatcher(int settleMs = 200, QObject* parent = nullptr);

    // Entries armed within one turn of the event loop: a list of thousands is armed a
    // slice at a time, so the thread that owns the watcher answers in between.
    static constexpr int kArmSlice = 256;

    // Watches these entries (and only these) from now on. Only the entries new to the list
    // are armed, and only those that left it disarmed.
    void watch(const QStringList& paths);
    QStringList watched() const;
    // How many times an entry was armed (its identity read and its watches set), for tests.
    qsizetype armings() const { return m_armings; }

Q_SIGNALS:
    // The watched entries that changed, in the order watch() was given them.
    void changed(const QStringList& paths);

private:
    // What an entry leads to, told apart from another thing made at the same place, and
    // when its status last changed (its permissions given or taken, say).
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        bool isDirectory = false;
        qint64 changedNs = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };
    static std::optional<Identity> identityOf(const QString& path);
    // The folder that holds what `path` leads to, or the nearest above it that exists.
    static QString holderOf(const QString& path);

    void onEvent(const QString& path);
    void settle();
    void armSlice();
    void arm(const QString& path);
    void disarm(const QString& path);
    // A watcher of its own, with nothing armed.
    void startOver();
    // Stops watching `path` unless an entry or a holder still needs it.
    void release(const QString& path);
    // No longer watches `path` through the folder that holds it.
    void stopWatchingThroughHolder(const QString& path);

    QStringList m_paths;
    QStringList m_toArm; // new entries not armed yet, in the order given
    qsizetype m_nextToArm = 0;
    QSet<QString> m_pending;
    QSet<QString> m_stirredHolders;
    QHash<QString, std::optional<Identity>> m_identities;
    QSet<QString> m_selfWatched;                 // entries watched themselves
    QHash<QString, QString> m_holderOf;          // entry -> the folder that sees it go
    QHash<QString, QSet<QString>> m_holderUsers; // folder -> its entries
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle;
    QTimer* m_armLater;
    qsizetype m_armings = 0;
};
