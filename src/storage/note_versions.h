#pragma once

#include "storage/sticky_note.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QUuid>

#include <functional>

// The versions each note has shown on the board before its present one. Another program
// that read notes.json earlier and writes back what it read hands one of them back: that is
// no change of its own, and must neither take the board's newer text away nor be kept as a
// conflict. Each version is known by a digest of its text in the file, the latest kKept of
// each note: one per key typed, so a program that read the file as typing began is still
// known after many words.
class NoteVersions {
public:
    static constexpr int kKept = 2000;

    // The board shows `notes` as taken from notes.json (loaded, or merged with what another
    // program wrote). Each note that showed another version before, taken from the file or
    // written by the room, has that version as an earlier one from here on, whatever the
    // order the file and the keys came in.
    void takeFromFile(const QList<StickyNote>& notes);
    // The room writes `note` afresh; `written` is its text as last written, of the version
    // `writtenAs` (none: not written yet). That text, and the version the board showed when
    // it was neither, become earlier versions.
    void writing(const StickyNote& note, const StickyNote* writtenAs, QByteArrayView written);
    // The whole list of `notes` notes was written: of the notes `has` no longer knows
    // (deleted ones) no version is asked for.
    void written(qsizetype notes, const std::function<bool(const QUuid&)>& has);

    // Whether `note` is one of the versions the board showed before.
    bool isEarlier(const StickyNote& note) const;
    // The same question, as mergeNotes asks it.
    std::function<bool(const StickyNote&)> earlierTest() const
    {
        return [this](const StickyNote& note) { return isEarlier(note); };
    }

private:
    void noteEarlier(const QUuid& id, QByteArrayView text);
    void noteEarlier(const StickyNote& note);
    // Drops the earlier versions of notes that show no more.
    void forgetGone();

    QHash<QUuid, QList<QByteArray>> m_earlier;
    // The version each note shows now, as taken from the file or written.
    QHash<QUuid, StickyNote> m_shown;
};
