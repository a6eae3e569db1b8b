#include "storage/note_versions.h"

#include "storage/json_file.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {

QByteArray digest(QByteArrayView text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Sha256);
}

// The note's text in notes.json; nothing when it cannot be stored.
std::optional<QByteArray> textOf(const StickyNote& note)
{
    const std::optional<QJsonValue> value = encodeStickyNote(note);
    if (!value)
        return std::nullopt;
    return JsonFile::compact(QJsonDocument(value->toObject()));
}

} // namespace

void NoteVersions::takeFromFile(const QList<StickyNote>& notes)
{
    QHash<QUuid, StickyNote> shown;
    shown.reserve(notes.size());
    for (const StickyNote& note : notes) {
        const auto before = m_shown.constFind(note.id);
        if (before != m_shown.cend() && *before != note)
            noteEarlier(*before);
        shown.insert(note.id, note);
    }
    m_shown = std::move(shown);
    forgetGone();
}

void NoteVersions::writing(const StickyNote& note, const StickyNote* writtenAs,
                           QByteArrayView written)
{
    if (writtenAs)
        noteEarlier(note.id, written);
    const auto shown = m_shown.find(note.id);
    if (shown == m_shown.end()) {
        m_shown.insert(note.id, note);
        return;
    }
    if (*shown != note && (!writtenAs || *writtenAs != *shown))
        noteEarlier(*shown);
    *shown = note;
}

void NoteVersions::written(qsizetype notes, const std::function<bool(const QUuid&)>& has)
{
    // Every note written shows here: while no more show than were written, none was deleted.
    if (m_shown.size() <= notes)
        return;
    m_shown.removeIf([&has](const auto& entry) { return !has(entry.key()); });
    forgetGone();
}

void NoteVersions::forgetGone()
{
    m_earlier.removeIf([this](const auto& entry) { return !m_shown.contains(entry.key()); });
}

bool NoteVersions::isEarlier(const StickyNote& note) const
{
    const auto earlier = m_earlier.constFind(note.id);
    if (earlier == m_earlier.cend())
        return false;
    const std::optional<QByteArray> text = textOf(note);
    return text && earlier->contains(digest(*text));
}

void NoteVersions::noteEarlier(const QUuid& id, QByteArrayView text)
{
    QList<QByteArray>& earlier = m_earlier[id];
    earlier.append(digest(text));
    if (earlier.size() > kKept)
        earlier.removeFirst();
}

void NoteVersions::noteEarlier(const StickyNote& note)
{
    if (const std::optional<QByteArray> text = textOf(note))
        noteEarlier(note.id, *text);
}
