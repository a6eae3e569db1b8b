#pragma once

#include "platform/background_work.h"
#include "platform/event_sounds.h"
#include "platform/file_operations.h"
#include "platform/trash.h"
#include "storage/storage_manager.h"
#include "support/fake_prompts.h"
#include "support/temp_home.h"

#include <QSemaphore>
#include <QThreadPool>
#include <QUrl>

#include <memory>
#include <source_location>
#include <utility>

using namespace Qt::StringLiterals;

inline const auto url = [](const QString& path) { return QUrl::fromLocalFile(path); };
inline const auto sorted = [](QStringList list) {
    list.sort();
    return list;
};

struct CountingSounds : EventSounds {
    QStringList played;
    void play(const QString& eventId) override { played.append(eventId); }
};

// A Trash that takes nothing and remembers what it was asked to take.
struct RecordingTrash : Trash {
    QStringList asked;
    bool moveToTrash(const QString& path, QString*) override
    {
        asked.append(path);
        return false;
    }
};

// Holds every thread of the room's own pool until let go, so the work handed to it waits.
class HeldPool {
public:
    HeldPool() : m_threads(BackgroundWork::pool()->maxThreadCount())
    {
        for (int i = 0; i < m_threads; ++i)
            BackgroundWork::pool()->start([this] {
                m_started.release();
                m_gate.acquire();
            });
        m_started.acquire(m_threads);
    }
    ~HeldPool() { letGo(); }
    // Lets the pool go and waits until what was handed to it meanwhile has run.
    void letGo()
    {
        if (std::exchange(m_held, false)) {
            m_gate.release(m_threads);
            BackgroundWork::pool()->waitForDone();
        }
    }

private:
    const int m_threads;
    QSemaphore m_started;
    QSemaphore m_gate;
    bool m_held = true;
};

// A temporary home for the storage service, with counted sounds and fake panels.
class StorageHome {
public:
    QString home() const { return m_home.path(); }
    QString root() const { return home() + u"/Documents/RidezozEvar"_s; }
    QString shelf() const { return root() + u"/Rak"_s; }
    QString carpet() const { return root() + u"/Karpet"_s; }
    QString album() const { return root() + u"/Album"_s; }
    QString desktop() const { return home() + u"/Desktop"_s; }
    QString trashRoot() const { return qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash"_s; }

    // A path relative to the storage folder; "~/" starts one at the home folder and "@/" at
    // the storage folder.
    QString path(const QString& written) const;
    // Makes the file at such a path (and its folders); returns its path.
    QString file(const QString& written, const QByteArray& content = "x") const
    {
        landWrites();
        return writeFile(path(written), content);
    }
    QByteArray read(const QString& written) const
    {
        landWrites();
        return contentOf(path(written));
    }
    // Lays out entries written as "path: content" (a file), "path -> destination" (a link),
    // "path => item" (the room's own shelf link, made by shelving the item; once started),
    // "path == other" (a second name for other's file), "path @ origin" (where an existing
    // entry came from) or "path/" (a folder).
    bool lay(const QStringList& entries) const; // false when one cannot be made
    // The home folder in that form, sorted, with folders left empty as "path/"; the storage
    // folder's empty standard folders are left out, and its own files unless asked for.
    QStringList layout(bool ownFiles = false) const;

    // Starts the storage service, or starts it afresh.
    StorageManager& start();
    StorageManager* operator->() const { return m_storage.get(); }
    // Runs an operation of the room's menus and drops on the entry at `written` (for "to
    // shelf", carpet names separated by ", "); "trash" tells whether the item went.
    bool act(const QString& operation, const QString& written, double x = 0.25, double y = 0.75);
    // Waits until the moves of many items, the drops onto the shelf and the moves copying
    // across file systems have finished; fails the test where it waited, naming them, when
    // they have not after 30 s.
    void settle(const std::source_location& where = std::source_location::current()) const;
    // Frames the picture at `path` in `slot` (a free frame when negative) and waits for the
    // framing: whether the photo is framed.
    bool frame(const QString& path, int slot) const;
    // Waits for the room's own writes, as anything a person or another program does comes
    // after them.
    void landWrites() const;

    // The floor positions as floor_positions.json holds them.
    FloorPositions storedPositions() const
    {
        return decodeFloorLayout(read(u"floor_positions.json"_s))
            .value_or(FloorLayoutData())
            .itemPositions;
    }
    // What a folder holds, hidden names included, sorted.
    QStringList entries(const QString& written) const
    {
        return sorted(FileOperations::listEntries(path(written), true).value_or(QStringList()));
    }

    CountingSounds sounds;
    FakePrompts prompts;

private:
    TempHome m_home;
    std::unique_ptr<StorageManager> m_storage;
};

// Everything under `folder` as layout() writes it, paths relative to the folder; a content
// longer than a line is shown by its size and checksum.
QStringList tree(const QString& folder);
QStringList namesOf(const QList<QUrl>& urls);
inline const auto originOf = [](const QString& path) {
    return StorageManager::readOriginAttribute(QUrl::fromLocalFile(path)).value_or(QString());
};
// What the Trash at `trashRoot` holds: each entry's name, with the path it came from.
QMap<QString, QString> trashed(const QString& trashRoot);
