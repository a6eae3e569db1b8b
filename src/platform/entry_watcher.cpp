#include "platform/entry_watcher.h"

#include "platform/background_work.h"
#include "platform/file_operations.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QThreadPool>
#include <QTimer>

EntryWatcher::EntryWatcher(int settleMs, QObject* parent)
    : QObject(parent), m_settle(new QTimer(this)), m_armLater(new QTimer(this))
{
    startOver();
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, &EntryWatcher::settle);
    m_armLater->setSingleShot(true);
    m_armLater->setInterval(0);
    connect(m_armLater, &QTimer::timeout, this, &EntryWatcher::armSlice);
}

void EntryWatcher::startOver()
{
    // The old watcher lets go of its paths on a worker: a call into the system for each of
    // thousands kept the thread that owns it from its events for some 40 ms. Tied to no
    // thread any more, it takes no events and may go on any.
    if (m_watcher) {
        m_watcher->disconnect(this);
        m_watcher->setParent(nullptr);
        m_watcher->moveToThread(nullptr);
        BackgroundWork::pool()->start([old = m_watcher] { delete old; });
    }
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &EntryWatcher::onEvent);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &EntryWatcher::onEvent);
    // Every entry still listed is armed again; what was already seen to change stays news.
    m_identities.clear();
    m_selfWatched.clear();
    m_holderOf.clear();
    m_holderUsers.clear();
    m_stirredHolders.clear();
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
    const QSet<QString> listed(paths.begin(), paths.end());
    QStringList leaving;
    for (const QString& path : std::as_const(m_paths)) {
        if (!listed.contains(path))
            leaving.append(path);
    }
    // The file system watcher lets go of its paths one by one, each a walk over all it
    // watches: when most of a long list leaves, a watcher of its own for what stays costs
    // less than thousands of walks.
    if (leaving.size() > kArmSlice && leaving.size() * 2 > m_paths.size()) {
        startOver();
    } else {
        for (const QString& path : std::as_const(leaving))
            disarm(path);
    }
    // New entries, and those still waiting for their turn.
    QStringList toArm;
    for (const QString& path : std::as_const(paths)) {
        if (!m_identities.contains(path))
            toArm.append(path);
    }
    toArm.removeDuplicates();
    m_paths = paths;
    m_toArm = std::move(toArm);
    m_nextToArm = 0;
    m_armLater->stop();
    armSlice();
}

void EntryWatcher::armSlice()
{
    const qsizetype end = std::min(m_toArm.size(), m_nextToArm + kArmSlice);
    for (; m_nextToArm < end; ++m_nextToArm)
        arm(m_toArm.at(m_nextToArm));
    if (m_nextToArm < m_toArm.size()) {
        m_armLater->start();
    } else {
        m_toArm.clear();
        m_nextToArm = 0;
    }
}

void EntryWatcher::arm(const QString& path)
{
    ++m_armings;
    // Armed afresh: what it was watched through before may be gone.
    stopWatchingThroughHolder(path);
    const std::optional<Identity> identity = identityOf(path);
    m_identities.insert(path, identity);
    // A link: where it leads is watched from the folder that holds it. An entry that is no
    // link is seen going by whoever watches the folder that lists it.
    bool byHolder = FileOperations::isSymbolicLink(path);
    // What it leads to, while there is something. A folder its user may not read cannot be
    // watched itself; its permissions given back are seen from the folder that holds it,
    // and it is watched itself again then.
    if (identity && !m_selfWatched.contains(path)) {
        if (m_holderUsers.contains(path) || m_watcher->addPath(path))
            m_selfWatched.insert(path);
        else
            byHolder = true;
    }
    if (!byHolder)
        return;
    const QString folder = holderOf(path);
    m_holderOf.insert(path, folder);
    auto users = m_holderUsers.find(folder);
    if (users == m_holderUsers.end()) {
        users = m_holderUsers.insert(folder, {});
        if (!m_selfWatched.contains(folder))
            m_watcher->addPath(folder);
    }
    users->insert(path);
}

void EntryWatcher::disarm(const QString& path)
{
    m_pending.remove(path);
    m_identities.remove(path);
    stopWatchingThroughHolder(path);
    if (m_selfWatched.remove(path))
        release(path);
}

void EntryWatcher::stopWatchingThroughHolder(const QString& path)
{
    const auto holder = m_holderOf.find(path);
    if (holder == m_holderOf.end())
        return;
    const QString folder = holder.value();
    m_holderOf.erase(holder);
    if (auto users = m_holderUsers.find(folder); users != m_holderUsers.end()) {
        users->remove(path);
        if (users->isEmpty())
            m_holderUsers.erase(users);
    }
    release(folder);
}

void EntryWatcher::release(const QString& path)
{
    if (!m_selfWatched.contains(path) && !m_holderUsers.contains(path))
        m_watcher->removePath(path);
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
    // A file replaced by a rename, or a folder that went, is no longer watched: what changed
    // is armed again, and so is every entry seen from a folder that went.
    const QStringList now = watched();
    const QSet<QString> watchedNow(now.begin(), now.end());
    QSet<QString> again = m_pending;
    for (auto it = m_holderUsers.begin(); it != m_holderUsers.end();) {
        if (watchedNow.contains(it.key())) {
            ++it;
            continue;
        }
        for (const QString& path : std::as_const(it.value()))
            m_holderOf.remove(path);
        again.unite(it.value());
        it = m_holderUsers.erase(it);
    }
    for (const QString& path : std::as_const(again)) {
        if (!m_identities.contains(path))
            continue; // not armed yet: its turn comes
        if (!watchedNow.contains(path))
            m_selfWatched.remove(path);
        arm(path);
    }
    QStringList news;
    for (const QString& path : std::as_const(m_paths)) {
        if (m_pending.contains(path))
            news.append(path);
    }
    m_pending.clear();
    if (!news.isEmpty())
        Q_EMIT changed(news);
}
