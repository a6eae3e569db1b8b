#include "corkboard/corkboard_view.h"

#include "corkboard/corkboard_header_view.h"
#include "corkboard/draggable_sticky_note.h"
#include "corkboard/sticky_note_card_view.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"
#include "storage/storage_manager.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPainter>

namespace {
constexpr qreal kStickerZ = 1;
constexpr qreal kHeaderZ = 2;
constexpr qreal kNotesZ = 10;
constexpr qreal kButtonZ = 100000;

const QString& memoText()
{
    static const QString text = QStringLiteral("Memo");
    return text;
}

QFont memoFont()
{
    return Units::systemFont(9, QFont::Bold);
}

// The "Memo" button: a lime capsule with a plus and the word.
ButtonItem* makeAddButton(std::function<void()> action, QGraphicsItem* parent)
{
    auto shadow = std::make_shared<ShapeShadow>();
    auto* button = new ButtonItem(
        [shadow](QPainter& p, const QRectF& r) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            const QPainterPath capsule = Painting::capsule(r);
            shadow->paint(p, capsule, {Colors::black(0.2), 2, QPointF(0, 1)});
            p.setPen(Qt::NoPen);
            p.setBrush(TOLVANEColors::highlighterGreen());
            p.drawPath(capsule);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Colors::withOpacity(TOLVANEColors::ink(), 0.18), 1, Qt::SolidLine,
                          Qt::FlatCap, Qt::MiterJoin));
            p.drawPath(Painting::capsule(r.adjusted(0.5, 0.5, -0.5, -0.5)));
            const qreal textWidth = QFontMetricsF(memoFont()).horizontalAdvance(memoText());
            const QRectF glyph(r.left() + 9, r.center().y() - 6, 12, 12);
            Symbols::paint(p, QStringLiteral("plus.circle.fill"), glyph, TOLVANEColors::ink());
            p.setFont(memoFont());
            p.setPen(TOLVANEColors::ink());
            p.drawText(QRectF(glyph.right() + 4, r.top(), textWidth + 1, r.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, memoText());
            p.restore();
        },
        std::move(action), parent);
    const QFontMetricsF metrics(memoFont());
    const qreal labelHeight = std::max(qreal(12), metrics.height());
    button->setSize({9 + 12 + 4 + metrics.horizontalAdvance(memoText()) + 9, labelHeight + 8});
    button->setPaintMargins(QMarginsF(3, 2, 3, 4));
    button->gestures().setToolTip(QStringLiteral("Tambah Catatan / To-Do List Baru"));
    return button;
}
} // namespace

CorkboardView::CorkboardView(StorageManager& storage, AppState& appState,
                             std::function<RoomItem*()> sticker, QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_appState(appState), m_model(storage)
{
    // The bare board: a click here closes an open customiser.
    gestures().onTap([this] { backgroundClicked(); });

    if (sticker) {
        m_sticker = sticker();
        m_sticker->setParentItem(this);
        m_sticker->setZValue(kStickerZ);
    }
    m_header = new BismillahCalligraphyHeaderView(this);
    m_header->setZValue(kHeaderZ);
    m_addButton = makeAddButton([this] { addNote(); }, this);
    m_addButton->setZValue(kButtonZ);

    connect(&m_storage, &StorageManager::stickyNotesChanged, this, &CorkboardView::syncNotes);
    syncNotes();
}

QList<DraggableStickyNote*> CorkboardView::noteViews() const
{
    QList<DraggableStickyNote*> views;
    for (const StickyNote& note : m_storage.stickyNotes()) {
        if (DraggableStickyNote* view = m_notes.value(note.id); view && !views.contains(view))
            views.append(view);
    }
    return views;
}

void CorkboardView::addNote()
{
    withAnimation(Animation::spring(0.35, 0.75), [this] { m_model.add(); });
}

void CorkboardView::deleteNote(const QUuid& id)
{
    if (m_appState.activeNoteCustomizerId() == id) {
        withoutAnimation([this] { m_appState.setActiveNoteCustomizerId(std::nullopt); });
    }
    m_model.remove(id);
}

void CorkboardView::saveNotes()
{
    m_model.save();
}

void CorkboardView::backgroundClicked()
{
    if (!m_appState.activeNoteCustomizerId())
        return;
    withAnimation(Animation::spring(0.25, 0.8),
                  [this] { m_appState.setActiveNoteCustomizerId(std::nullopt); });
}

void CorkboardView::syncNotes()
{
    QHash<QUuid, DraggableStickyNote*> previous = m_notes;
    m_notes.clear();
    const NotePlacement placement{size(), kZoneBottom, kNoteWidth};
    int order = 0;
    for (const StickyNote& note : m_storage.stickyNotes()) {
        if (m_notes.contains(note.id))
            continue; // a second note with the same id is the same note
        DraggableStickyNote* view = previous.take(note.id);
        if (view) {
            view->refresh();
        } else {
            const QUuid id = note.id;
            view = new DraggableStickyNote(
                id, m_model, m_appState, [this, id] { deleteNote(id); }, this);
            view->setPlacement(placement);
        }
        view->setZValue(kNotesZ + order++);
        m_notes.insert(note.id, view);
    }
    for (DraggableStickyNote* gone : std::as_const(previous)) {
        // Gone from the scene at once; deleted once the event that removed it has returned.
        gone->noteRemoved();
        gone->setParentItem(nullptr);
        if (gone->scene())
            gone->scene()->removeItem(gone);
        gone->deleteLater();
    }
}

void CorkboardView::onSizeChanged()
{
    layout();
}

void CorkboardView::layout()
{
    const qreal w = size().width();
    const qreal h = size().height();
    if (m_sticker)
        m_sticker->setCentre(QPointF(w - 38, 28));
    m_header->setCentre(QPointF(w / 2, 22));
    const QSizeF button = m_addButton->size();
    m_addButton->setPos(w - 8 - button.width(), h - 6 - button.height());
    const NotePlacement placement{size(), kZoneBottom, kNoteWidth};
    for (DraggableStickyNote* view : std::as_const(m_notes))
        view->setPlacement(placement);
}
