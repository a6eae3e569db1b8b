#pragma once

#include "kit/animated_value.h"
#include "kit/painting.h"
#include "kit/room_item.h"
#include "storage/sticky_note.h"

#include <QUuid>

#include <functional>

class AppState;
class ButtonItem;
class CorkboardNotes;
class NoteCustomizerPanel;
class NoteTextField;
class TopFastenerView;

// One sticky note drawn as a small paper card, 148 points wide, editable in place: a
// one-line title, a text that grows from 3 to 14 lines, a palette button that opens the
// customiser, a delete button and the fastener on its top edge. The card holds only its
// note's id; every change goes through CorkboardNotes and is saved at once.
class StickyNoteCardView : public RoomItem {
    Q_OBJECT
public:
    static constexpr qreal kWidth = 148;

    StickyNoteCardView(const QUuid& id, CorkboardNotes& notes, AppState& appState,
                       std::function<void()> onDelete, QGraphicsItem* parent = nullptr);

    const QUuid& noteId() const { return m_id; }

    // Shows the note as the list holds it now; editors whose text is unchanged are left
    // alone, caret and all.
    void refresh();

    bool isCustomizerOpen() const;
    void toggleCustomizer();
    void closeCustomizer();

    NoteTextField* titleField() const { return m_title; }
    NoteTextField* textField() const { return m_text; }
    ButtonItem* paletteButton() const { return m_palette; }
    ButtonItem* deleteButton() const { return m_delete; }
    TopFastenerView* fastener() const { return m_fastener; }
    // Made the first time the customiser opens.
    NoteCustomizerPanel* customizer() const { return m_panel; }

    // Where the title row and the text show, in the card's coordinates.
    QRectF titleArea() const;
    QRectF textArea() const;
    // Leaves the title and the text out while the cards above wholly hide them: a field
    // left out is neither drawn nor kept as a picture.
    void setFieldsCovered(bool title, bool text);

    // How many ruled lines and rows of dots a card `height` high shows (at least two).
    static int ruledLineCount(qreal height);
    static int dotRowCount(qreal height);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void onCustomizerChanged();
    void relayout();
    void change(const std::function<void(StickyNote&)>& edit);
    // The paper, its pattern, rules and shadow: all a card draws itself.
    void paintSheet(QPainter& p, ShapeShadow& shadow) const;
    void paintPattern(QPainter& p) const;

    QUuid m_id;
    CorkboardNotes& m_notes;
    AppState& m_appState;
    std::function<void()> m_onDelete;

    NoteColor m_color = NoteColor::yellow;
    PaperPattern m_pattern = PaperPattern::plain;
    bool m_shown = false;

    RoomItem* m_titleClip = nullptr;
    NoteTextField* m_title = nullptr;
    ButtonItem* m_palette = nullptr;
    ButtonItem* m_delete = nullptr;
    RoomItem* m_panelClip = nullptr;
    NoteCustomizerPanel* m_panel = nullptr;
    RoomItem* m_textClip = nullptr;
    NoteTextField* m_text = nullptr;
    TopFastenerView* m_fastener = nullptr;
    Animated<double> m_panelProgress;
    qreal m_panelTop = 0;
    qreal m_textTop = 0;
    ShapeShadow m_shadow;
};
