#pragma once

#include <QFont>
#include <QRectF>

class QPainter;

// One point of the room's design is one device-independent pixel, text sizes included.
namespace Units {
// A font whose size is given in design points: device-independent pixels, turned into
// typographic points by the screen's logical DPI. Qt loads every font at a whole pixel
// size, so a fractional size comes out rounded: draw those with DesignFont.
QFont font(const QString& family, qreal designPoints, QFont::Weight weight = QFont::Normal);
// The room's system face at a size in design points.
QFont systemFont(qreal designPoints, QFont::Weight weight = QFont::Normal);
} // namespace Units

// A face at a design size, fractions kept: a 9.5-point label is drawn at 9.5 pixels, not
// at 10. Qt rounds a font's size to whole pixels when it loads the font, so the text is
// laid out and drawn from the next whole size, scaled down by the painter.
class DesignFont {
public:
    DesignFont(const QString& family, qreal designPoints, QFont::Weight weight = QFont::Normal);
    static DesignFont system(qreal designPoints, QFont::Weight weight = QFont::Normal);
    // The same face at `factor` times this size.
    DesignFont scaled(qreal factor) const;
    // The same face with `designPoints` more space after each letter (less when negative).
    DesignFont tracked(qreal designPoints) const;

    qreal designPoints() const { return m_designPoints; }
    // The whole-size font the text is drawn from, and the scale that brings it down.
    const QFont& loadedFont() const { return m_font; }
    qreal scale() const { return m_scale; }

    qreal horizontalAdvance(const QString& text) const;
    qreal height() const;
    qreal ascent() const;
    QString elidedText(const QString& text, Qt::TextElideMode mode, qreal width) const;
    // Draws as QPainter::drawText(rect, flags, text) would at the design size.
    void drawText(QPainter& painter, const QRectF& rect, int flags, const QString& text) const;
    // Draws as QPainter::drawText(baseline, text) would at the design size.
    void drawText(QPainter& painter, const QPointF& baseline, const QString& text) const;

private:
    QFont m_font;
    qreal m_designPoints;
    qreal m_scale;
};
