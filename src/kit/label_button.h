#pragma once

#include "kit/button_item.h"

#include <QColor>
#include <QFont>
#include <QMarginsF>

#include <optional>

// The look of a panel's button: a glyph and/or a title in one colour, on a capsule, a
// circle or a rounded rectangle (or on nothing), sized to its label and padding unless
// given a size.
struct ButtonLabel {
    enum class Shape { None, Capsule, Circle, Rounded };

    QString symbol;
    QString title;
    QFont font;
    qreal symbolSize = 0; // 0: as tall as the font's pixel size
    QColor foreground = Qt::white;
    QColor background = Qt::transparent;
    QColor border = Qt::transparent;
    Shape shape = Shape::Capsule;
    qreal cornerRadius = 6; // Rounded only
    QMarginsF padding;
    qreal spacing = 4;
    std::optional<QSizeF> size;

    QSizeF sizeHint() const;
    void paint(QPainter& painter, const QRectF& rect) const;
};

// A ButtonItem showing `label`, sized to it, with an optional tool tip.
ButtonItem* makeLabelButton(const ButtonLabel& label, std::function<void()> action,
                            QGraphicsItem* parent, const QString& toolTip = {});
