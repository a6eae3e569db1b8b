// The corkboard's notes: kept in stickyNotes and in notes.json beside the folders.
#include "storage/storage_manager.h"

#include "platform/trash.h"
#include "state/animation.h"
#include "storage/json_file.h"
#include "storage/report_line.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <unistd.h>

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
    // 148 points wide). The file keeps its own y until the note is dragged.
    if (note.x < 290 && note.x + 148 > 95 && note.y < 48) {
        note.yInFile = note.y;
        note.y = 50;
    }
}

// The notes a file holds as the room shows them: mended, each with an id of its own.
// `freshIds` tells whether a repeated id was replaced (the file is then to be written).
std::optional<StickyNotes> notesForRoom(const QByteArray& bytes, bool* freshIds)
{
    std::optional<StickyNotes> notes = decodeStickyNotes(bytes);
    if (!notes)
        return notes;
    for (StickyNote& note : *notes)
        repairLoadedNote(note);
    *freshIds = giveRepeatedIdsFreshOnes(*notes);
    return notes;
}

// A note's texts as one: what a conflict copy is kept for.
QString textOf(const StickyNote& note)
{
    QString text = note.title + QChar(0x1f) + note.freeformText;
    for (const TaskItem& task : note.tasks)
        text += QChar(0x1f) + task.text;
    return text;
}

QSet<QString> textsOf(const StickyNotes& notes)
{
    QSet<QString> texts;
    texts.reserve(notes.size());
    for (const StickyNote& note : notes)
        texts.insert(textOf(note));
    return texts;
}

// The texts another program wrote: its notes that are neither as `base` holds them nor an
// earlier version of the room's own.
QSet<QString> writtenTexts(const StickyNotes& base, const StickyNotes& theirs,
                           const std::function<bool(const StickyNote&)>& isEarlier)
{
    QHash<QUuid, const StickyNote*> was;
    was.reserve(base.size());
    for (const StickyNote& note : base)
        was.insert(note.id, &note);
    QSet<QString> texts;
    for (const StickyNote& note : theirs) {
        const StickyNote* before = was.value(note.id);
        if ((!before || *before != note) && !isEarlier(note))
            texts.insert(textOf(note));
    }
    return texts;
}

// A failed save is tried again after a second, then less often, but never more than a
// few seconds apart: a folder made writable again has the notes within that.
constexpr int kFirstRetryMs = 1000;
constexpr int kLastRetryMs = 4000;
// A file that does not decode is left alone this long after it last changed: another
// program may be writing it in place.
constexpr int kSettleMs = 1500;

bool settled(const JsonFile::ReadResult& file)
{
    return file.status != JsonFile::ReadStatus::Read || !file.version ||
           QDateTime::currentMSecsSinceEpoch() - file.version->modifiedNs / 1000000 >= kSettleMs;
}

bool canWrite(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

// The name of a copy of notes as "notes.<why>-<time>[-n].json".
QRegularExpression notesCopyName(const QString& why)
{
    return QRegularExpression(QStringLiteral("^notes\\.") + why +
                              QStringLiteral("-([0-9]{8}-[0-9]{6})(?:-([0-9]+))?\\.json$"));
}

// The copies of notes in `folder` whose names match `pattern`, oldest first.
QStringList notesCopiesIn(const QString& folder, const QRegularExpression& pattern)
{
    struct Copy {
        QString stamp;
        int n;
        QString path;
    };
    std::vector<Copy> found;
    for (const QString& name : FileOperations::listEntries(folder, false).value_or(QStringList())) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        const std::optional<FileOperations::EntryStatus> status = FileOperations::entryStatus(path);
        if (status && status->isRegularFile)
            found.push_back({match.captured(1), match.captured(2).toInt(), path});
    }
    std::sort(found.begin(), found.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.n < b.n;
    });
    QStringList paths;
    for (const Copy& copy : found)
        paths.append(copy.path);
    return paths;
}

// The notes a member of a kept file holds, as loaded from notes.json.
std::optional<StickyNotes> notesMember(const QJsonObject& kept, const QString& name)
{
    const QJsonValue value = kept.value(name);
    if (!value.isArray())
        return std::nullopt;
    bool freshIds = false;
    return notesForRoom(JsonFile::compact(QJsonDocument(value.toArray())), &freshIds);
}

} // namespace

void StorageManager::loadNotes()
{
    loadNotesFrom(JsonFile::read(notesFilePath()));
}

void StorageManager::loadNotesIfChanged()
{
    // A failed save is tried again here only when the folder refused it and takes it now (its
    // permissions changed): on a full disk the save's own temporary file makes a folder event.
    if (areNotesUnsaved() && !m_notesFolderWritable && canWrite(m_paths.root)) {
        m_notesFolderWritable = true;
        saveNotes(); // what another program wrote meanwhile is taken in first
        return;
    }
    // Its content decides, whatever its version says: another program's write in place of
    // the same size, within one tick of a coarse file clock, leaves size and time as they
    // were. The bytes the room has already are compared a piece at a time.
    if (m_notesFileSeen && m_notesFileSeen->status == JsonFile::ReadStatus::Read) {
        if (const auto same = JsonFile::holding(notesFilePath(), m_notesFileSeen->bytes)) {
            m_notesFileSeen->version = same;
            return;
        }
    }
    const JsonFile::ReadResult file = JsonFile::read(notesFilePath());
    if (m_notesFileSeen && m_notesFileSeen->status == file.status &&
        m_notesFileSeen->bytes == file.bytes) {
        m_notesFileSeen->version = file.version;
        return;
    }
    loadNotesFrom(file);
}

void StorageManager::loadNotesFrom(const JsonFile::ReadResult& file)
{
    bool freshIds = false;
    std::optional<StickyNotes> notes;
    if (file.status == JsonFile::ReadStatus::Read)
        notes = notesForRoom(file.bytes, &freshIds);
    if (!notes) {
        // A file that could not be read is left as it is; anything else is set aside (an
        // empty one only replaced) as the room's notes are written, once it has stopped
        // changing.
        m_notesFileSeen = file;
        m_notesSeenDecodes = false;
        if (!m_notesLoaded) {
            // Nothing to load at the start: the starting notes.
            m_notesLoaded = true;
            setStickyNotes(startingNotes());
            m_notesOnDisk = stickyNotes();
        }
        // Later, the notes the room shows stay and are written back.
        if (!settled(file))
            lookAtNotesFileLater();
        else if (file.status != JsonFile::ReadStatus::Unreadable)
            saveNotes();
        return;
    }
    if (!m_notesLoaded) {
        m_notesLoaded = true;
        m_notesFileSeen = file;
        m_notesSeenDecodes = true;
        m_notesOnDisk = *notes;
        setStickyNotes(*notes);
        m_noteVersions.takeFromFile(stickyNotes());
    } else if (!mergeOutsideNotes(file, *notes)) {
        noteNotesSaved(false);
        return;
    }
    if (stickyNotes().isEmpty()) {
        // An empty list is never kept across a load.
        setStickyNotes(startingNotes());
        saveNotes();
    } else if (freshIds || stickyNotes() != m_notesOnDisk) {
        saveNotes();
    } else {
        pruneConflictCopies();
    }
}

bool StorageManager::textsKept(const QSet<QString>& texts, const StickyNotes& notes,
                               const QString& except)
{
    QSet<QString> missing = texts;
    for (const StickyNote& note : notes) {
        if (missing.isEmpty())
            return true;
        missing.remove(textOf(note));
    }
    const QStringList copies = conflictCopies();
    for (auto copy = copies.crbegin(); copy != copies.crend() && !missing.isEmpty(); ++copy) {
        if (*copy == except)
            continue;
        if (const std::optional<QSet<QString>> kept = conflictCopyTexts(*copy))
            missing -= *kept;
    }
    return missing.isEmpty();
}

void StorageManager::pruneConflictCopies()
{
    if (!m_conflictCopiesToPrune)
        return;
    m_conflictCopiesToPrune = false;
    const QStringList copies = conflictCopies();
    if (copies.isEmpty())
        return;
    std::vector<std::optional<QSet<QString>>> texts;
    QHash<QString, int> holders; // how many copies hold each text
    for (const QString& copy : copies) {
        texts.push_back(conflictCopyTexts(copy));
        if (texts.back()) {
            for (const QString& text : *texts.back())
                ++holders[text];
        }
    }
    const QSet<QString> inFile = textsOf(m_notesOnDisk);
    QStringList kept;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        // Oldest first: of two copies alike, the newer one stays.
        const std::optional<QSet<QString>>& held = texts[size_t(i)];
        const bool needless =
            held && std::all_of(held->cbegin(), held->cend(), [&](const QString& t) {
                return inFile.contains(t) || holders.value(t) > 1;
            });
        if (needless && FileOperations::removeItem(copies[i])) {
            for (const QString& text : *held)
                --holders[text];
            m_conflictCopyTexts.remove(copies[i]);
            continue;
        }
        kept.append(copies[i]);
    }
    // Beyond the bound the oldest go to the Trash, where the user can still find them.
    for (qsizetype i = 0; kept.size() - i > kKeptConflictCopies; ++i) {
        if (!trash().moveToTrash(kept[i]))
            break;
        m_conflictCopyTexts.remove(kept[i]);
    }
}

QStringList StorageManager::conflictCopies() const
{
    static const QRegularExpression pattern = notesCopyName(QStringLiteral("conflict"));
    return notesCopiesIn(m_paths.root, pattern);
}

std::optional<QSet<QString>> StorageManager::conflictCopyTexts(const QString& path)
{
    const std::optional<FileOperations::EntryStatus> status = JsonFile::version(path);
    if (!status)
        return std::nullopt;
    const auto known = m_conflictCopyTexts.constFind(path);
    if (known != m_conflictCopyTexts.cend() && known->version.sameVersion(*status))
        return known->texts;
    std::optional<QSet<QString>> texts;
    const JsonFile::ReadResult file = JsonFile::read(path);
    bool freshIds = false;
    if (file.status == JsonFile::ReadStatus::Read) {
        if (const std::optional<StickyNotes> notes = notesForRoom(file.bytes, &freshIds))
            texts = textsOf(*notes);
    }
    m_conflictCopyTexts.insert(path, {*status, texts});
    return texts;
}

bool StorageManager::mergeOutsideNotes(const JsonFile::ReadResult& file, const StickyNotes& theirs)
{
    NotesMerge merged = mergeNotes(m_notesOnDisk, theirs, stickyNotes(),
                                   m_noteVersions.earlierTest(), m_noteBeingEdited);
    // The other program's version of a note both changed is kept whole beside the file,
    // unless the notes or a copy kept before hold all it wrote.
    if (!merged.keptAll &&
        !textsKept(writtenTexts(m_notesOnDisk, theirs, m_noteVersions.earlierTest()),
                   merged.notes)) {
        const std::optional<QString> copy =
            JsonFile::keepAside(notesFilePath(), file.bytes, QStringLiteral("conflict"));
        if (!copy)
            return false;
        m_conflictCopiesToPrune = true;
        supersedeTypingCopy(*copy, theirs, merged.notes);
    }
    m_notesFileSeen = file;
    m_notesSeenDecodes = true;
    m_notesOnDisk = theirs;
    setStickyNotes(merged.notes);
    m_noteVersions.takeFromFile(stickyNotes());
    return true;
}

void StorageManager::saveNotes()
{
    // Another program that writes the file while the room's bytes go to disk makes the
    // room take its notes in again before it writes.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (saveNotesOnce() != SaveResult::Changed)
            return;
    }
    noteNotesSaved(false);
}

StorageManager::SaveResult StorageManager::saveNotesOnce()
{
    const QString path = notesFilePath();
    std::optional<FileOperations::EntryStatus> now = JsonFile::version(path);
    bool known = m_notesFileSeen && m_notesSeenDecodes &&
                 JsonFile::sameVersion(m_notesFileSeen->version, now);
    if (m_notesLoaded && !known) {
        // Another program may have written the file since the room last read or wrote it:
        // what it wrote is taken in before the room's notes go over it.
        const JsonFile::ReadResult file = JsonFile::read(path);
        now = file.version;
        bool damaged = false;
        if (file.status == JsonFile::ReadStatus::Read && m_notesFileSeen &&
            m_notesFileSeen->status == JsonFile::ReadStatus::Read &&
            file.bytes == m_notesFileSeen->bytes) {
            m_notesFileSeen->version = file.version;
            known = m_notesSeenDecodes;
            damaged = !m_notesSeenDecodes;
        } else if (file.status == JsonFile::ReadStatus::Read) {
            bool freshIds = false;
            if (const std::optional<StickyNotes> theirs = notesForRoom(file.bytes, &freshIds)) {
                if (!mergeOutsideNotes(file, *theirs)) {
                    noteNotesSaved(false);
                    return SaveResult::Failed;
                }
                known = JsonFile::sameVersion(file.version, JsonFile::version(path));
            } else {
                damaged = true;
            }
        }
        if (damaged && !settled(file) && !m_quitting) {
            // Perhaps half written: what it becomes is taken in first.
            lookAtNotesFileLater();
            return SaveResult::Later;
        }
    }
    const std::optional<QByteArray> bytes = encodedNotes();
    if (!bytes)
        return SaveResult::Failed;
    // A file known as read needs no second look; any other is checked, and set aside when
    // it holds something that does not decode.
    std::optional<FileOperations::EntryStatus> written;
    bool changed = false;
    const auto stillSo = [&] {
        const std::optional<FileOperations::EntryStatus> last = JsonFile::version(path);
        changed = now ? !last || !now->sameVersion(*last) : last.has_value();
        return !changed;
    };
    // What another program writes between that last look and the room's file taking its
    // place is not lost: it comes back here, kept beside the file.
    JsonFile::Displaced displaced;
    displaced.expected = now;
    if (!JsonFile::write(path, *bytes, known ? JsonFile::Validator() : notesDecode, &written,
                         stillSo, &displaced)) {
        if (changed)
            return SaveResult::Changed;
        noteNotesSaved(false);
        return SaveResult::Failed;
    }
    const StickyNotes base = m_notesOnDisk;
    m_notesFileSeen = JsonFile::ReadResult{JsonFile::ReadStatus::Read, *bytes, written};
    m_notesSeenDecodes = true;
    m_notesOnDisk = stickyNotes();
    if (displaced.happened()) {
        m_conflictCopiesToPrune = true;
        // Taken in as any outside write is, and written again.
        bool takenIn = false;
        for (const JsonFile::Displaced::File& file : displaced.files) {
            bool freshIds = false;
            const std::optional<StickyNotes> theirs =
                file.bytes.isEmpty() ? std::nullopt : notesForRoom(file.bytes, &freshIds);
            if (!theirs)
                continue;
            const NotesMerge merged = mergeNotes(base, *theirs, stickyNotes(),
                                                 m_noteVersions.earlierTest(), m_noteBeingEdited);
            if (merged.keptAll ||
                textsKept(writtenTexts(base, *theirs, m_noteVersions.earlierTest()), merged.notes,
                          file.keptAt))
                FileOperations::removeItem(file.keptAt);
            else
                supersedeTypingCopy(file.keptAt, *theirs, merged.notes);
            setStickyNotes(merged.notes);
            m_noteVersions.takeFromFile(stickyNotes());
            takenIn = true;
        }
        if (takenIn)
            return SaveResult::Changed;
    }
    noteNotesSaved(true);
    pruneConflictCopies();
    return SaveResult::Saved;
}

std::optional<QByteArray> StorageManager::encodedNotes()
{
    // The same bytes as encoding the whole list, from each note's own text kept while the
    // note is unchanged: a key typed on a board of thousands of notes encodes one note.
    QHash<QUuid, EncodedNote> encoded;
    encoded.reserve(stickyNotes().size());
    QByteArray bytes;
    bytes.reserve(m_notesFileSeen ? m_notesFileSeen->bytes.size() + 4096 : 4096);
    bytes += '[';
    for (const StickyNote& note : stickyNotes()) {
        if (bytes.size() > 1)
            bytes += ',';
        const qsizetype from = bytes.size();
        auto known = m_encodedNotes.constFind(note.id);
        if (known != m_encodedNotes.cend() && known->note == note) {
            bytes += QByteArrayView(m_encodedBytes).sliced(known->from, known->size);
        } else {
            if (known != m_encodedNotes.cend())
                m_noteVersions.writing(
                    note, &known->note,
                    QByteArrayView(m_encodedBytes).sliced(known->from, known->size));
            else
                m_noteVersions.writing(note, nullptr, {});
            const std::optional<QJsonValue> value = encodeStickyNote(note);
            if (!value)
                return std::nullopt;
            bytes += JsonFile::compact(QJsonDocument(value->toObject()));
        }
        encoded.insert(note.id, EncodedNote{note, from, bytes.size() - from});
    }
    bytes += ']';
    // A deleted note's versions are no longer asked for.
    m_noteVersions.written(encoded.size(),
                           [&encoded](const QUuid& id) { return encoded.contains(id); });
    m_encodedNotes = std::move(encoded);
    m_encodedBytes = bytes;
    return bytes;
}

void StorageManager::lookAtNotesFileLater()
{
    if (!m_notesRecheck) {
        m_notesRecheck = new QTimer(this);
        m_notesRecheck->setSingleShot(true);
        m_notesRecheck->setInterval(kSettleMs);
        connect(m_notesRecheck, &QTimer::timeout, this, [this] {
            // Read again whatever it holds: merged when it decodes now, else set aside and
            // written over.
            m_notesFileSeen.reset();
            loadNotesIfChanged();
        });
    }
    if (!m_notesRecheck->isActive())
        m_notesRecheck->start();
}

void StorageManager::noteNotesSaved(bool saved)
{
    setNotesUnsaved(!saved);
    if (saved) {
        m_notesRetryDelay = 0;
        m_notesFolderWritable = true;
        if (m_notesRetry)
            m_notesRetry->stop();
        // notes.json holds what an earlier end kept aside now.
        for (const QString& path : std::exchange(m_unsavedNotesTakenBack, {}))
            FileOperations::removeItem(path);
        return;
    }
    m_notesFolderWritable = canWrite(m_paths.root);
    if (!m_notesRetry) {
        m_notesRetry = new QTimer(this);
        m_notesRetry->setSingleShot(true);
        connect(m_notesRetry, &QTimer::timeout, this, [this] {
            if (!areNotesUnsaved())
                return;
            m_notesRetryDelay = std::min(m_notesRetryDelay * 2, kLastRetryMs);
            saveNotes();
        });
    }
    // A try is due already: keys typed meanwhile neither put it off nor lengthen the wait.
    if (m_notesRetry->isActive())
        return;
    if (m_notesRetryDelay == 0)
        m_notesRetryDelay = kFirstRetryMs;
    m_notesRetry->start(m_notesRetryDelay);
}

int StorageManager::notesRetryDelay() const
{
    return m_notesRetry && m_notesRetry->isActive() ? m_notesRetry->interval() : 0;
}

bool StorageManager::notesDifferFromFile() const
{
    return stickyNotes() != m_notesOnDisk;
}

void StorageManager::setNoteBeingEdited(const std::optional<QUuid>& id)
{
    if (id != m_noteBeingEdited)
        m_typingCopy.reset();
    m_noteBeingEdited = id;
}

void StorageManager::supersedeTypingCopy(const QString& copy, const StickyNotes& theirs,
                                         const StickyNotes& notes)
{
    if (!m_noteBeingEdited)
        return;
    const QUuid id = *m_noteBeingEdited;
    if (std::none_of(theirs.cbegin(), theirs.cend(),
                     [&id](const StickyNote& note) { return note.id == id; }))
        return; // the other program deleted it: nothing newer of it to keep
    const std::optional<std::pair<QUuid, QString>> previous =
        std::exchange(m_typingCopy, std::pair{id, copy});
    if (!previous || previous->first != id || previous->second == copy)
        return;
    // The other program's newer version of the note holds what it means the note to say; the
    // earlier copy goes only when every other note it holds is kept somewhere else.
    const JsonFile::ReadResult file = JsonFile::read(previous->second);
    bool freshIds = false;
    const std::optional<StickyNotes> held = file.status == JsonFile::ReadStatus::Read
                                                ? notesForRoom(file.bytes, &freshIds)
                                                : std::nullopt;
    if (!held)
        return;
    QSet<QString> others;
    for (const StickyNote& note : *held) {
        if (note.id != id)
            others.insert(textOf(note));
    }
    if (textsKept(others, notes, previous->second) && FileOperations::removeItem(previous->second))
        m_conflictCopyTexts.remove(previous->second);
}

QString StorageManager::unsavedNotesFolder() const
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = m_paths.home + QStringLiteral("/.local/state");
    return QDir::cleanPath(state) + QStringLiteral("/pondsill");
}

QStringList StorageManager::unsavedNotesFiles() const
{
    static const QRegularExpression pattern = notesCopyName(QStringLiteral("unsaved"));
    return notesCopiesIn(unsavedNotesFolder(), pattern);
}

std::optional<QString> StorageManager::keepUnsavedNotes()
{
    // The notes, and the notes.json they were to replace: the next start merges them with
    // whatever notes.json holds by then, as it would another program's version.
    const std::optional<QByteArray> notes = encodeStickyNotes(stickyNotes());
    const std::optional<QByteArray> saved = encodeStickyNotes(m_notesOnDisk);
    if (!notes || !saved)
        return std::nullopt;
    const QString folder = unsavedNotesFolder();
    FileOperations::makeDirectory(folder);
    return JsonFile::keepAside(folder + QStringLiteral("/notes.json"),
                               "{\"notes\":" + *notes + ",\"saved\":" + *saved + '}',
                               QStringLiteral("unsaved"));
}

bool StorageManager::notesFileHoldsBoard() const
{
    // The bytes last read or written stand for the notes they were taken for only when they
    // decoded: a file the room met emptied or half written holds none of them.
    const JsonFile::ReadResult file = JsonFile::read(notesFilePath());
    return file.status == JsonFile::ReadStatus::Read && m_notesFileSeen && m_notesSeenDecodes &&
           m_notesFileSeen->status == JsonFile::ReadStatus::Read &&
           file.bytes == m_notesFileSeen->bytes && !notesDifferFromFile();
}

void StorageManager::saveBeforeQuit()
{
    endMovesBeforeQuit();
    flushWrites();
    // Read back whatever its version says: another program may have written it in place
    // since the last save, an event for it still unseen, or within the same tick of the
    // clock. What it wrote is merged and saved as any save does; a file met half written
    // cannot be waited for now, and is set aside.
    if (notesFileHoldsBoard())
        return;
    if (m_notesFileSeen)
        m_notesFileSeen->version.reset();
    m_quitting = true;
    saveNotes();
    if (notesFileHoldsBoard())
        return;
    const std::optional<QString> kept = keepUnsavedNotes();
    if (!kept) {
        printReportLine(QStringLiteral("Catatan tidak bisa disimpan di ") + notesFilePath() +
                        QStringLiteral(" maupun di ") + unsavedNotesFolder());
        return;
    }
    // The new file holds what the files taken back at the start held.
    for (const QString& path : std::exchange(m_unsavedNotesTakenBack, {}))
        FileOperations::removeItem(path);
    printReportLine(QStringLiteral("Catatan tidak bisa disimpan di ") + notesFilePath() +
                    QStringLiteral("; salinannya ada di ") + *kept);
}

void StorageManager::takeBackUnsavedNotes()
{
    for (const QString& path : unsavedNotesFiles()) {
        // One that cannot be read stays for a person to read.
        const JsonFile::ReadResult file = JsonFile::read(path);
        if (file.status != JsonFile::ReadStatus::Read)
            continue;
        const QJsonObject kept = QJsonDocument::fromJson(file.bytes).object();
        const std::optional<StickyNotes> mine = notesMember(kept, QStringLiteral("notes"));
        const std::optional<StickyNotes> base = notesMember(kept, QStringLiteral("saved"));
        if (!mine || !base)
            continue;
        // notes.json as it is now stands for another program's version: what changed there
        // since is kept, and where both changed a note, its version is kept beside it.
        const StickyNotes theirs = stickyNotes();
        const auto never = [](const StickyNote&) { return false; };
        const NotesMerge merged = mergeNotes(*base, theirs, *mine);
        if (!merged.keptAll && !textsKept(writtenTexts(*base, theirs, never), merged.notes)) {
            const std::optional<QByteArray> bytes = encodeStickyNotes(theirs);
            if (!bytes || !JsonFile::keepAside(notesFilePath(), *bytes, QStringLiteral("conflict")))
                continue;
            m_conflictCopiesToPrune = true;
        }
        setStickyNotes(merged.notes);
        m_unsavedNotesTakenBack.append(path);
    }
    if (m_unsavedNotesTakenBack.isEmpty())
        return;
    if (notesDifferFromFile())
        saveNotes();
    else
        noteNotesSaved(true);
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
