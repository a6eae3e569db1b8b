#pragma once

#include "storage/sticky_note.h"

#include <QHash>
#include <QUuid>

#include <functional>
#include <optional>

class StorageManager;

// The corkboard's way of changing notes. Every view of a note holds only the note's id;
// each change looks the note up by that id in the storage's list, so a change that
// arrives after the note was deleted (a drag's end, a late keystroke) is dropped and
// touches no other note. Each change is saved at once, the whole list in one atomic write;
// a save that fails leaves the list in memory, and the next change writes it again.
class CorkboardNotes {
public:
    explicit CorkboardNotes(StorageManager& storage);

    StorageManager& storage() const { return m_storage; }

    // The note with `id`, or nothing when it is gone.
    std::optional<StickyNote> note(const QUuid& id) const;

    // Changes the note with `id` and saves the list. False, with nothing changed or
    // saved, when no note has that id.
    bool update(const QUuid& id, const std::function<void(StickyNote&)>& change);

    // Writes the whole list as it is.
    void save();
    // A new note, appended on a later turn of the event loop.
    void add();
    // Removes the note with `id` on a later turn of the event loop.
    void remove(const QUuid& id);
    // The user starts or stops typing in the note with `id`: while typing, the note is kept
    // whatever another program does to notes.json.
    void setEditing(const QUuid& id, bool editing);

private:
    StorageManager& m_storage;
    // Where each id stands in the list, made again when the list is another one: a board
    // of thousands of notes looks notes up for every view on every change.
    mutable QHash<QUuid, qsizetype> m_index;
    mutable const StickyNote* m_indexed = nullptr;
    mutable qsizetype m_indexedSize = -1;
};
