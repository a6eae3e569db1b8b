#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"
#include "kit/units.h"

#include <QColor>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

// A drawing of a fixed size: the rows of a card that only show something.
class PaintedItem : public RoomItem {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter& painter, const QRectF& rect)>;

    PaintedItem(const QSizeF& size, Painter paint, QGraphicsItem* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    Painter m_paint;
};

// The cards' pressable labels: held down, the label shrinks to 0.94 about its centre and
// fades to 0.82 with a quick spring; a release over it runs the action, a release
// elsewhere nothing.
class AppleScaleButtonStyle : public PaintedItem {
    Q_OBJECT
public:
    AppleScaleButtonStyle(const QSizeF& size, Painter paint, std::function<void()> action,
                          QGraphicsItem* parent = nullptr);

    bool isHeld() const { return m_held; }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    void setHeld(bool held);

    bool m_held = false;
    Animated<double> m_press{0.0};
};

// The frame every quick-view card lies in: a panel of a fixed width on the room's
// translucent surface, a header with the card's symbol, its title (one line, elided) and a
// close button, a faint divider, then the card's rows, stacked leading-aligned. The card is
// exactly as high as its rows need. Escape closes it, as the close button's tool tip says.
class DesktopQuickViewCard : public RoomItem {
    Q_OBJECT
public:
    DesktopQuickViewCard(const QString& title, const QString& iconName, const QColor& iconColor,
                         qreal width, std::function<void()> onClose,
                         QGraphicsItem* parent = nullptr);

    // The width a row of the content gets.
    qreal contentWidth() const;
    // The space between the card's rows (the cards' own stacks use 8 or 10).
    void setRowSpacing(qreal spacing);
    // Adds a row under the others; the card takes it over and grows by it.
    void addRow(RoomItem* row);
    // Lays the rows out again after one changed its height.
    void relayout();
    // The foot of the cards that open a program: a divider, the full-width action button
    // (returned) and the tips line under it.
    RoomItem* addActionFooter(const QColor& tint, const QString& symbol, const QString& label,
                              std::function<void()> action, const QString& tips);

    const QString& title() const { return m_title; }
    AppleScaleButtonStyle* closeButton() const { return m_close; }
    // The title as the header shows it, elided to the room it has.
    QString shownTitle() const;
    QRectF titleRect() const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    static constexpr qreal kPadding = 14;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    qreal headerHeight() const;

    QString m_title;
    QString m_iconName;
    QColor m_iconColor;
    std::function<void()> m_onClose;
    AppleScaleButtonStyle* m_close = nullptr;
    std::vector<RoomItem*> m_rows;
    qreal m_spacing = 8;
};

// What the cards' rows are drawn with.
namespace CardPainting {
// One line of text in `rect`, elided at its end when it does not fit.
void text(QPainter& painter, const QRectF& rect, const DesignFont& font, const QColor& color,
          const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A symbol then a text, centred together in `rect`, `spacing` apart.
void symbolAndText(QPainter& painter, const QRectF& rect, const QString& symbol,
                   const DesignFont& font, const QColor& color, const QString& text,
                   qreal spacing = 6);
// A row of `height` that draws a divider at `opacity`.
RoomItem* divider(qreal width, qreal opacity);
// A row of text lines (the tips line, captions).
RoomItem* line(qreal width, const DesignFont& font, const QColor& color, const QString& text);
// Text that wraps at `width` (the tips lines): as high as its lines.
RoomItem* paragraph(qreal width, const DesignFont& font, const QColor& color, const QString& text);
// Text height of `font` as the rows lay it out.
qreal lineHeight(const DesignFont& font);

// Texts stacked leading-aligned beside a card's symbol or tile (a count over its hint, a
// model over its specification), each wrapped between words onto as many lines as it
// needs at the width it is given: no line of them is cut short.
struct StackedText {
    DesignFont font;
    QColor color;
    QString text;
    qreal spacingAbove = 0; // from the text above; nothing above the first
};
class TextStack {
public:
    TextStack(const QList<StackedText>& texts, qreal width);
    qreal height() const { return m_height; }
    void draw(QPainter& painter, const QPointF& topLeft) const;

private:
    struct Laid {
        StackedText text;
        QStringList lines;
        qreal top = 0;
    };
    QList<Laid> m_laid;
    qreal m_width = 0;
    qreal m_height = 0;
};
} // namespace CardPainting

// A plain button of a card: a symbol (none when empty) and a text centred on a rounded
// rectangle of radius 6 filled with `fill`, 6 points above and below the text.
RoomItem* cardButton(qreal width, const QColor& fill, const QColor& ink, const QString& symbol,
                     const QString& label, const DesignFont& font, std::function<void()> action);
// Lays `items` side by side, `spacing` apart, sharing `width` equally.
RoomItem* cardRow(qreal width, qreal spacing, const QList<RoomItem*>& items);

// The coloured action button under a card's content: white symbol and text at 11 points
// centred on a rounded rectangle of radius 6 filled with `tint`, the full width of the
// card. A plain button: it runs `action` on a click.
RoomItem* quickViewActionLabel(qreal width, const QColor& tint, const QString& symbol,
                               const QString& label, std::function<void()> action);
