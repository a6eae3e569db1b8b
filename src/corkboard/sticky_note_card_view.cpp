#include "corkboard/sticky_note_card_view.h"

#include "corkboard/corkboard_notes.h"
#include "corkboard/note_customizer_panel.h"
#include "corkboard/note_fasteners.h"
#include "corkboard/note_text_field.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "state/app_state.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kSide = 7;
constexpr qreal kButton = 11;
constexpr int kMinimumLines = 3;
constexpr int kMaximumLines = 14;

DesignFont titleFont()
{
    return DesignFont::system(10, QFont::Bold);
}

DesignFont textFont()
{
    return DesignFont::system(8.5);
}

QColor inkOf(NoteColor color)
{
    return textColor(color);
}

// A clear box whose children show only inside it.
RoomItem* clipBox(QGraphicsItem* parent)
{
    auto* box = new RoomItem(parent);
    box->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    return box;
}
} // namespace

int StickyNoteCardView::ruledLineCount(qreal height)
{
    return std::max(int(std::trunc((height - 26) / 12)), 2);
}

int StickyNoteCardView::dotRowCount(qreal height)
{
    return std::max(int(std::trunc((height - 26) / 10)), 2);
}

StickyNoteCardView::StickyNoteCardView(const QUuid& id, CorkboardNotes& notes, AppState& appState,
                                       std::function<void()> onDelete, QGraphicsItem* parent)
    : RoomItem(parent), m_id(id), m_notes(notes), m_appState(appState),
      m_onDelete(std::move(onDelete)), m_panelProgress(0, [this] { relayout(); })
{
    setPaintMargins(QMarginsF(4, 4, 5, 6));

    m_titleClip = clipBox(this);
    m_title = new NoteTextField(true, QStringLiteral("Judul Memo"), titleFont(), m_titleClip);
    connect(m_title, &NoteTextField::edited, this,
            [this](const QString& text) { change([&text](StickyNote& n) { n.title = text; }); });
    connect(m_title, &NoteTextField::caretMoved, this,
            [this] { m_title->keepCaretVisible(m_titleClip->size()); });

    const auto toggle = [this] {
        withAnimation(Animation::spring(0.28, 0.8), [this] { toggleCustomizer(); });
    };
    m_palette = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            const bool open = isCustomizerOpen();
            // Nine points: the palette is drawn for nine and eighteen device pixels.
            const QRectF glyph(r.center() - QPointF(4.5, 4.5), QSizeF(9, 9));
            Symbols::paintOnPixelGrid(
                p, open ? QStringLiteral("paintpalette.fill") : QStringLiteral("paintpalette"),
                glyph, Colors::withOpacity(inkOf(m_color), open ? 0.95 : 0.45));
        },
        toggle, this);
    m_palette->setSize({kButton, kButton});
    m_palette->gestures().setToolTip(
        QStringLiteral("Kustomisasi warna, plester/pin & pola kertas"));

    m_delete = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            const QRectF glyph(r.center() - QPointF(4.5, 4.5), QSizeF(9, 9));
            Symbols::paint(p, QStringLiteral("xmark.circle.fill"), glyph,
                           Colors::withOpacity(inkOf(m_color), 0.35));
        },
        [this] {
            if (m_onDelete)
                m_onDelete();
        },
        this);
    m_delete->setSize({kButton, kButton});
    m_delete->gestures().setToolTip(QStringLiteral("Hapus Memo"));

    m_panelClip = clipBox(this);
    m_panelClip->hide();

    m_textClip = clipBox(this);
    m_text = new NoteTextField(false, QStringLiteral("Tulis isi memo di sini..."), textFont(),
                               m_textClip);
    m_text->setFieldWidth(kWidth - 2 * kSide);
    connect(m_text, &NoteTextField::edited, this, [this](const QString& text) {
        change([&text](StickyNote& n) { n.freeformText = text; });
    });
    connect(m_text, &NoteTextField::caretMoved, this,
            [this] { m_text->keepCaretVisible(m_textClip->size()); });
    for (NoteTextField* field : {m_title, m_text})
        connect(field, &NoteTextField::editingChanged, this,
                [this](bool editing) { m_notes.setEditing(m_id, editing); });
    connect(m_text->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged,
            this, [this] { relayout(); });

    m_fastener = new TopFastenerView(this);
    m_fastener->gestures().onTap(toggle);
    m_fastener->setZValue(2);

    connect(&m_appState, &AppState::activeNoteCustomizerIdChanged, this,
            &StickyNoteCardView::onCustomizerChanged);
    refresh();
    if (isCustomizerOpen()) {
        withoutAnimation([this] { onCustomizerChanged(); });
    }
}

bool StickyNoteCardView::isCustomizerOpen() const
{
    return m_appState.activeNoteCustomizerId() == m_id;
}

void StickyNoteCardView::toggleCustomizer()
{
    if (isCustomizerOpen())
        m_appState.setActiveNoteCustomizerId(std::nullopt);
    else
        m_appState.setActiveNoteCustomizerId(m_id);
}

void StickyNoteCardView::closeCustomizer()
{
    m_appState.setActiveNoteCustomizerId(std::nullopt);
}

void StickyNoteCardView::change(const std::function<void(StickyNote&)>& edit)
{
    m_notes.update(m_id, edit);
}

void StickyNoteCardView::refresh()
{
    const std::optional<StickyNote> note = m_notes.note(m_id);
    if (!note)
        return;
    // A flat card draws its paper from the pictures all cards share (a pile of notes holds
    // one per look, not one per note); a tilted one keeps a picture of its own.
    const CacheMode cache = note->rotation == 0 ? NoCache : DeviceCoordinateCache;
    if (cache != cacheMode())
        setCacheMode(cache);
    m_title->showText(note->title);
    m_text->showText(note->freeformText);
    const QColor ink = inkOf(note->color);
    m_title->setInk(ink, 1);
    m_text->setInk(ink, 0.92);
    m_fastener->show(note->pinStyle, note->color);
    if (m_panel)
        m_panel->show(*note);
    const bool repaint = !m_shown || note->color != m_color || note->pattern != m_pattern;
    m_color = note->color;
    m_pattern = note->pattern;
    m_shown = true;
    relayout();
    if (repaint) {
        update();
        m_palette->update();
        m_delete->update();
    }
}

QRectF StickyNoteCardView::titleArea() const
{
    return {m_titleClip->pos(), m_titleClip->size()};
}

QRectF StickyNoteCardView::textArea() const
{
    return {m_textClip->pos(), m_textClip->size()};
}

void StickyNoteCardView::setFieldsCovered(bool title, bool text)
{
    m_titleClip->setVisible(!title);
    m_textClip->setVisible(!text);
}

void StickyNoteCardView::onCustomizerChanged()
{
    const bool open = isCustomizerOpen();
    if (open && !m_panel) {
        NoteCustomizerPanel::Actions actions;
        actions.chooseColor = [this](NoteColor c) { change([c](StickyNote& n) { n.color = c; }); };
        actions.choosePin = [this](PinStyle s) { change([s](StickyNote& n) { n.pinStyle = s; }); };
        actions.cyclePattern = [this] {
            change([](StickyNote& n) { n.pattern = NoteCustomizerPanel::nextPattern(n.pattern); });
        };
        actions.chooseTilt = [this](double tilt) {
            withAnimation(Animation::spring(0.5, 1.0),
                          [this, tilt] { change([tilt](StickyNote& n) { n.rotation = tilt; }); });
        };
        actions.close = [this] {
            withAnimation(Animation::spring(0.25, 0.8), [this] { closeCustomizer(); });
        };
        m_panel = new NoteCustomizerPanel(kWidth, std::move(actions), m_panelClip);
        if (const std::optional<StickyNote> note = m_notes.note(m_id))
            m_panel->show(*note);
    }
    m_palette->update();
    m_panelProgress.set(open ? 1 : 0);
}

void StickyNoteCardView::relayout()
{
    const qreal titleLine = m_title->lineHeight();
    const qreal rowHeight = std::max(titleLine, kButton);
    const qreal rowTop = 9;
    m_delete->setPos(kWidth - kSide - kButton, rowTop + (rowHeight - kButton) / 2);
    m_palette->setPos(m_delete->pos().x() - 4 - kButton, m_delete->pos().y());
    m_titleClip->setPos(kSide, rowTop + (rowHeight - titleLine) / 2);
    m_titleClip->setSize({m_palette->pos().x() - 4 - kSide, titleLine});

    m_panelTop = rowTop + rowHeight + 3 + 1;
    const qreal progress = std::clamp(m_panelProgress.value(), 0.0, 1.0);
    qreal panelShown = 0;
    if (m_panel && progress > 0) {
        const qreal full = m_panel->size().height() + 1;
        panelShown = full * progress;
        m_panelClip->setPos(0, m_panelTop);
        m_panelClip->setSize({kWidth, panelShown});
        m_panel->setPos(0, panelShown - full);
        m_panel->setOpacity(progress);
        m_panelClip->show();
    } else {
        m_panelClip->hide();
    }

    m_textTop = m_panelTop + panelShown + 4;
    const qreal line = m_text->lineHeight();
    const int lines = std::clamp(m_text->lineCount(), kMinimumLines, kMaximumLines);
    m_textClip->setPos(kSide, m_textTop);
    m_textClip->setSize({kWidth - 2 * kSide, lines * line});
    m_text->keepCaretVisible(m_textClip->size());

    const QSizeF fastener = m_fastener->size();
    m_fastener->setPos(kWidth / 2 - fastener.width() / 2, -7);

    const QSizeF size(kWidth, m_textTop + lines * line + 7);
    if (size != this->size()) {
        setSize(size);
        setHitShape([&size] {
            QPainterPath path;
            path.addRect(QRectF(QPointF(), size));
            return path;
        }());
    }
}

void StickyNoteCardView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // A tilted card, and one whose customiser is open, draws itself.
    const bool turned = painter->deviceTransform().type() > QTransform::TxScale;
    if (turned || (m_panel && m_panelProgress.value() > 0)) {
        paintSheet(*painter, m_shadow);
        return;
    }
    const QByteArray look =
        "note-card|" + rawValue(m_color).toLatin1() + '|' + rawValue(m_pattern).toLatin1() + '|' +
        QByteArray::number(m_panelTop, 'g', 17) + '|' + QByteArray::number(m_textTop, 'g', 17);
    SharedDrawings::paint(*painter, boundingRect(), look, [this](QPainter& p) {
        ShapeShadow shadow; // made for the shared picture only
        paintSheet(p, shadow);
    });
}

void StickyNoteCardView::paintSheet(QPainter& p, ShapeShadow& shadow) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    const QColor ink = inkOf(m_color);
    const QPainterPath sheet = Painting::continuousRoundedRect(r, 4);
    shadow.paint(p, sheet, {Colors::black(0.12), 2.5, QPointF(0.8, 2)});
    p.setPen(Qt::NoPen);
    p.setBrush(color(m_color));
    p.drawPath(sheet);

    p.save();
    p.setClipRect(r);
    paintPattern(p);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::withOpacity(ink, 0.12), 0.8));
    p.drawPath(sheet);

    p.setPen(Qt::NoPen);
    p.setBrush(Colors::withOpacity(ink, 0.08));
    const QPointF ear[] = {r.bottomRight(), r.bottomRight() - QPointF(10, 0),
                           r.bottomRight() - QPointF(0, 10)};
    p.drawPolygon(ear, 3);

    // The separators under the title and under the open customiser.
    const QColor rule = Colors::withOpacity(ink, 0.14);
    p.fillRect(QRectF(5, m_panelTop - 1, kWidth - 10, 1), rule);
    const qreal progress = std::clamp(m_panelProgress.value(), 0.0, 1.0);
    if (m_panel && progress > 0)
        p.fillRect(QRectF(5, m_textTop - 5, kWidth - 10, 1), Colors::withOpacity(rule, progress));
    p.restore();
}

void StickyNoteCardView::paintPattern(QPainter& p) const
{
    const QColor ink = inkOf(m_color);
    const qreal h = size().height();
    if (m_pattern == PaperPattern::lined) {
        const int n = ruledLineCount(h);
        for (int i = 0; i < n; ++i)
            p.fillRect(QRectF(4, 24 + i * 13, kWidth - 8, 1), Colors::withOpacity(ink, 0.09));
    } else if (m_pattern == PaperPattern::dots) {
        p.setPen(Qt::NoPen);
        p.setBrush(Colors::withOpacity(ink, 0.12));
        const int rows = dotRowCount(h);
        for (int row = 0; row < rows; ++row) {
            for (int i = 0; i < 10; ++i)
                p.drawEllipse(QRectF(6 + i * 12.2, 24 + row * 11.2, 1.2, 1.2));
        }
    }
}
