#include "corkboard/corkboard_notes.h"

#include "storage/storage_manager.h"

CorkboardNotes::CorkboardNotes(StorageManager& storage) : m_storage(storage) {}

std::optional<StickyNote> CorkboardNotes::note(const QUuid& id) const
{
    for (const StickyNote& note : m_storage.stickyNotes()) {
        if (note.id == id)
            return note;
    }
    return std::nullopt;
}

bool CorkboardNotes::update(const QUuid& id, const std::function<void(StickyNote&)>& change)
{
    StickyNotes notes = m_storage.stickyNotes();
    bool found = false;
    for (StickyNote& note : notes) {
        if (note.id != id)
            continue;
        change(note);
        note.id = id; // a change never moves the note to another identity
        found = true;
    }
    if (!found)
        return false;
    m_storage.setStickyNotes(notes);
    m_storage.saveNotes();
    return true;
}

void CorkboardNotes::save()
{
    m_storage.saveNotes();
}

void CorkboardNotes::add()
{
    m_storage.addNote();
}

void CorkboardNotes::remove(const QUuid& id)
{
    m_storage.deleteNote(id);
}
