#include "corkboard/corkboard_notes.h"

#include "storage/storage_manager.h"

CorkboardNotes::CorkboardNotes(StorageManager& storage) : m_storage(storage) {}

std::optional<StickyNote> CorkboardNotes::note(const QUuid& id) const
{
    const StickyNotes& notes = m_storage.stickyNotes();
    const auto find = [&]() -> qsizetype {
        const qsizetype at = m_index.value(id, -1);
        return at >= 0 && at < notes.size() && notes[at].id == id ? at : -1;
    };
    qsizetype at = notes.constData() == m_indexed && notes.size() == m_indexedSize ? find() : -1;
    if (at < 0) {
        // Another list (a new one may even stand where an old one stood): indexed afresh.
        m_index.clear();
        m_index.reserve(notes.size());
        // The first note with an id is the one shown.
        for (qsizetype i = notes.size() - 1; i >= 0; --i)
            m_index.insert(notes[i].id, i);
        m_indexed = notes.constData();
        m_indexedSize = notes.size();
        at = find();
    }
    if (at < 0)
        return std::nullopt;
    return notes[at];
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

void CorkboardNotes::setEditing(const QUuid& id, bool editing)
{
    if (editing)
        m_storage.setNoteBeingEdited(id);
    else if (m_storage.noteBeingEdited() == id)
        m_storage.setNoteBeingEdited(std::nullopt);
}
