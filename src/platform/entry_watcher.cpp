#include "platform/entry_watcher.h"

#include "platform/file_operations.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

EntryWatcher::EntryWatcher(int settleMs, QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, &EntryWatcher::settle);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &EntryWatcher::onEvent);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &EntryWatcher::onEvent);
}

std::optional<EntryWatcher::Identity> EntryWatcher::identityOf(const QString& path)
{
    const std::optional<FileOperations::EntryStatus> status = FileOperations::resolvedStatus(path);
    if (!status)
        return std::nullopt;
    return Identity{quint64(status->device), quint64(status->inode), status->isDirectory,
                    status->changedNs};
}

QString EntryWatcher::holderOf(const QString& path)
{
    const QString target = FileOperations::resolvedLinkTarget(path).value_or(path);
    QString holder = QFileInfo(QDir::cleanPath(target)).absolutePath();
    while (!FileOperations::isDirectory(holder) && holder != QFileInfo(holder).absolutePath())
        holder = QFileInfo(holder).absolutePath();
    return holder;
}

void EntryWatcher::watch(const QStringList& paths)
{
    m_paths = paths;
    const QSet<QString> kept(paths.begin(), paths.end());
    m_pending.removeIf([&kept](const QString& path) { return !kept.contains(path); });
    m_identities.removeIf([&kept](const auto& it) { return !kept.contains(it.key()); });
    rearm();
}

QStringList EntryWatcher::watched() const
{
    return m_watcher->files() + m_watcher->directories();
}

void EntryWatcher::onEvent(const QString& path)
{
    bool stirred = false;
    if (m_identities.contains(path)) {
        m_pending.insert(path);
        stirred = true;
    }
    // Something changed in a folder that holds what entries lead to: whether theirs went or
    // came is seen once the events have settled.
    if (m_holderUsers.contains(path)) {
        m_stirredHolders.insert(path);
        stirred = true;
    }
    // Not restarted by later events: a file being written still reads anew now and then.
    if (stirred && !m_settle->isActive())
        m_settle->start();
}

void EntryWatcher::settle()
{
    for (const QString& holder : std::as_const(m_stirredHolders)) {
        for (const QString& path : m_holderUsers.value(holder)) {
            if (identityOf(path) != m_identities.value(path))
                m_pending.insert(path);
        }
    }
    m_stirredHolders.clear();
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
}

void EntryWatcher::rearm()
{
    const QStringList now = watched();
    const QSet<QString> watchedNow(now.begin(), now.end());
    QStringList add;
    QSet<QString> holderWatched; // links, and entries that cannot be watched themselves
    for (const QString& path : std::as_const(m_paths)) {
        const std::optional<Identity> identity = identityOf(path);
        m_identities.insert(path, identity);
        // What it leads to, while there is something.
        if (identity && !watchedNow.contains(path))
            add.append(path);
        if (FileOperations::isSymbolicLink(path))
            holderWatched.insert(path);
    }
    add.removeDuplicates();
    // A folder its user may not read cannot be watched itself; its permissions given back
    // are seen from the folder that holds it, and it is watched itself again then.
    if (!add.isEmpty()) {
        for (const QString& path : m_watcher->addPaths(add))
            holderWatched.insert(path);
    }
    // A link: where it leads is watched from the folder that holds it. An entry that is no
    // link is seen going by whoever watches the folder that lists it.
    QHash<QString, QStringList> users;
    for (const QString& path : std::as_const(m_paths)) {
        if (holderWatched.contains(path))
            users[holderOf(path)].append(path);
    }
    QStringList stale;
    for (const QString& path : watched()) {
        if (!m_identities.contains(path) && !users.contains(path))
            stale.append(path);
    }
    if (!stale.isEmpty())
        m_watcher->removePaths(stale);
    const QStringList after = watched();
    const QSet<QString> watchedAfter(after.begin(), after.end());
    QStringList holders;
    for (auto it = users.cbegin(); it != users.cend(); ++it) {
        if (!watchedAfter.contains(it.key()))
            holders.append(it.key());
    }
    if (!holders.isEmpty())
        m_watcher->addPaths(holders);
    m_holderUsers = std::move(users);
}
