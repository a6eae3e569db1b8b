#pragma once

#include "platform/event_sounds.h"
#include "storage/storage_manager.h"
#include "support/fake_prompts.h"
#include "support/temp_home.h"

#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

// Counts the sounds that would have played.
class CountingSounds : public EventSounds {
public:
    QStringList played;
    void play(const QString& eventId) override { played.append(eventId); }
};

// A temporary home with the storage folder's paths at hand. Tests lay out files, then
// start() the storage service on the home (with counted sounds and fake panels) and look
// at the disk afterwards.
class StorageHome {
public:
    QString home() const { return m_home.path(); }
    QString root() const { return home() + u"/Documents/RidezozEvar"_s; }
    QString shelf() const { return root() + u"/Rak"_s; }
    QString carpet() const { return root() + u"/Karpet"_s; }
    QString album() const { return root() + u"/Album"_s; }
    QString desktop() const { return home() + u"/Desktop"_s; }
    QString trashRoot() const;

    // These take paths relative to the storage folder.
    QString file(const QString& relativePath, const QByteArray& content = "x") const;
    QString link(const QString& relativePath, const QString& destination) const;
    QString dir(const QString& relativePath) const;
    QByteArray read(const QString& relativePath) const;
    bool exists(const QString& relativePath) const; // the entry itself, links not followed
    bool isLink(const QString& relativePath) const;
    // A file (and its folders) relative to the home folder.
    QString userFile(const QString& relativePath, const QByteArray& content = "x") const;

    // A path relative to the storage folder; "~/" starts one at the home folder and "@/" at
    // the storage folder.
    QString path(const QString& written) const;
    // Lays out entries written as "path: content" (a file), "path -> destination" (a link),
    // "path == other" (a second name for other's file) or "path @ origin" (where an existing
    // entry came from).
    bool lay(const QStringList& entries) const; // false when one cannot be made
    // The home folder in that form, sorted, with folders left empty as "path/"; the storage
    // folder's empty standard folders are left out, and its own files unless asked for.
    QStringList layout(bool ownFiles = false) const;

    // Starts the storage service, or starts it afresh.
    StorageManager& start();
    StorageManager* operator->() const { return m_storage.get(); }
    // Waits until the moves copying across file systems have finished.
    void settle() const;

    // The floor positions as floor_positions.json holds them.
    FloorPositions storedPositions() const;
    // What the storage folder holds, hidden names included, sorted.
    QStringList entries(const QString& relativePath) const;

    CountingSounds sounds;
    FakePrompts prompts;

private:
    TempHome m_home;
    std::unique_ptr<StorageManager> m_storage;
};

QUrl url(const QString& path);
QStringList namesOf(const QList<QUrl>& urls);
QString originOf(const QString& path);
void setOrigin(const QString& path, const QString& origin);
