#pragma once

#include "corkboard/corkboard_notes.h"
#include "kit/room_item.h"

#include <QHash>
#include <QUuid>

#include <functional>

class AppState;
class ButtonItem;
class BismillahCalligraphyHeaderView;
class DraggableStickyNote;
class NoteTextField;
class StorageManager;

// The corkboard's layer on the wall: the sticky notes, the calligraphy header, the band
// sticker and the "Memo" button that adds a note. It draws no board of its own (the room
// paints the cork). A click on the bare board closes an open note customiser.
//
// Notes are matched to their views by id: when the list changes (an edit, an added or
// deleted note, a reload from disk) a view whose note is unchanged is left as it is, so an
// editor keeps its caret and its input method's composition. A note lying wholly under the
// notes above it has no view until something uncovers it. While the notes cannot be saved
// the board says so in one line under its header.
class CorkboardView : public RoomItem {
    Q_OBJECT
public:
    static constexpr qreal kZoneBottom = 48;
    static constexpr qreal kNoteWidth = 148;

    // `sticker` makes the band sticker (nothing: none).
    CorkboardView(StorageManager& storage, AppState& appState,
                  std::function<RoomItem*()> sticker = {}, QGraphicsItem* parent = nullptr);

    DraggableStickyNote* noteView(const QUuid& id) const { return m_notes.value(id); }
    QList<DraggableStickyNote*> noteViews() const;
    ButtonItem* addButton() const { return m_addButton; }
    // Shown while the notes cannot be saved.
    RoomItem* unsavedMark() const { return m_unsavedMark; }
    RoomItem* sticker() const { return m_sticker; }
    BismillahCalligraphyHeaderView* header() const { return m_header; }

    // How many characters of the notes' texts the board laid out to learn how many lines
    // they take.
    qsizetype textLaidOut() const { return m_textLaidOut; }

    void addNote();
    void deleteNote(const QUuid& id);
    void saveNotes();

protected:
    void onSizeChanged() override;

private:
    void syncNotes();
    // How many lines the note's text takes in a card's text field; kept while the text
    // stays the same.
    int textLines(const StickyNote& note, const NoteTextField& field);
    void layout();
    void backgroundClicked();

    StorageManager& m_storage;
    AppState& m_appState;
    CorkboardNotes m_model;
    QHash<QUuid, DraggableStickyNote*> m_notes;
    struct LineCount {
        QString text;
        qreal width = 0;
        int lines = 0;
    };
    QHash<QUuid, LineCount> m_lineCounts;
    qsizetype m_textLaidOut = 0;
    // The notes as their views last showed them.
    QHash<QUuid, StickyNote> m_shownNotes;
    RoomItem* m_sticker = nullptr;
    BismillahCalligraphyHeaderView* m_header = nullptr;
    ButtonItem* m_addButton = nullptr;
    RoomItem* m_unsavedMark = nullptr;
};
