// The corkboard's notes: kept in stickyNotes and in notes.json beside the folders.
#include "storage/storage_manager.h"

#include "state/animation.h"
#include "storage/json_file.h"

#include <QRandomGenerator>

namespace {

bool notesDecode(const QByteArray& bytes)
{
    return decodeStickyNotes(bytes).has_value();
}

StickyNote startingNote(const QString& title, const QString& text, NoteColor color, PinStyle pin,
                        double x, double y)
{
    StickyNote note;
    note.title = title;
    note.freeformText = text;
    note.color = color;
    note.pinStyle = pin;
    note.x = x;
    note.y = y;
    return note;
}

StickyNotes startingNotes()
{
    return {startingNote(QStringLiteral("Rencana Hari Ini 📝"),
                         QStringLiteral("• Rapikan file desktop\n"
                                        "• Bikin to-do list & target minggu ini\n"
                                        "• Putar lagu favorit di radio Spotify"),
                         NoteColor::yellow, PinStyle::washiTape, 20, 20),
            startingNote(QStringLiteral("TOLVANE Design ✳"),
                         QStringLiteral("Electric Blue & Lime Accent.\n"
                                        "Taruh foto favorit di dinding boiserie."),
                         NoteColor::pink, PinStyle::pushpin, 180, 40)};
}

// Repairs made on every load and never written back by the load itself.
void repairLoadedNote(StickyNote& note)
{
    if (note.freeformText.isEmpty() && !note.tasks.isEmpty()) {
        QStringList lines;
        for (const TaskItem& task : note.tasks)
            lines.append(task.text);
        note.freeformText = lines.join(QLatin1Char('\n'));
    }
    // Keep notes out of the band along the board's top where its header sits (a note is
    // 148 points wide).
    if (note.x < 290 && note.x + 148 > 95 && note.y < 48)
        note.y = 50;
}

} // namespace

void StorageManager::loadNotes()
{
    loadNotesFrom(JsonFile::read(notesFilePath()));
}

void StorageManager::loadNotesIfChanged()
{
    JsonFile::ReadResult file = JsonFile::read(notesFilePath());
    if (m_notesFileSeen && m_notesFileSeen->status == file.status &&
        m_notesFileSeen->bytes == file.bytes)
        return;
    loadNotesFrom(file);
}

void StorageManager::loadNotesFrom(const JsonFile::ReadResult& file)
{
    m_notesFileSeen = file;
    std::optional<StickyNotes> notes;
    if (file.status == JsonFile::ReadStatus::Read)
        notes = decodeStickyNotes(file.bytes);
    if (!notes || notes->isEmpty()) {
        // Nothing to load: the starting notes. A file that could not be read is left as
        // it is, and one that does not decode is set aside before they are written.
        setStickyNotes(startingNotes());
        if (file.status != JsonFile::ReadStatus::Unreadable)
            saveNotes();
        return;
    }
    for (StickyNote& note : *notes)
        repairLoadedNote(note);
    setStickyNotes(*notes);
}

void StorageManager::saveNotes()
{
    const std::optional<QByteArray> bytes = encodeStickyNotes(stickyNotes());
    if (!bytes)
        return;
    if (JsonFile::write(notesFilePath(), *bytes, notesDecode))
        m_notesFileSeen = JsonFile::ReadResult{JsonFile::ReadStatus::Read, *bytes};
}

void StorageManager::addNote()
{
    static const QList<NoteColor> colors = {
        NoteColor::yellow,   NoteColor::lime,  NoteColor::pink, NoteColor::mint,
        NoteColor::lavender, NoteColor::peach, NoteColor::blue};
    QRandomGenerator* random = QRandomGenerator::global();
    StickyNote note;
    note.title = QStringLiteral("Catatan Baru");
    note.freeformText = QStringLiteral("Tulis isi catatan di sini...");
    note.color = colors.at(random->bounded(int(colors.size())));
    note.pinStyle = random->bounded(2) == 0 ? PinStyle::washiTape : PinStyle::pushpin;
    note.x = 20 + 160 * random->generateDouble();
    note.y = 54 + 96 * random->generateDouble();
    later([this, note] { appendNote(note); });
}

void StorageManager::appendNote(const StickyNote& note)
{
    StickyNotes notes = stickyNotes();
    notes.append(note);
    setStickyNotes(notes);
    saveNotes();
}

void StorageManager::deleteNote(const QUuid& id)
{
    later([this, id] { removeNote(id); });
}

void StorageManager::later(const std::function<void()>& change)
{
    // The change runs on a later turn of the event loop, yet carries the animation of the
    // transaction it was asked for in, so the board animates the note in or out.
    const std::optional<Animation> animation = currentAnimation();
    QMetaObject::invokeMethod(
        this, [change, animation] { withAnimation(animation, change); }, Qt::QueuedConnection);
}

void StorageManager::removeNote(const QUuid& id)
{
    StickyNotes notes = stickyNotes();
    notes.removeIf([&id](const StickyNote& note) { return note.id == id; });
    setStickyNotes(notes);
    saveNotes();
}
