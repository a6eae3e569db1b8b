#include "kit/units.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
// The screen's logical dots per inch: the ratio between typographic points and
// device-independent pixels there.
qreal logicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 0;
    return dpi > 0 ? dpi : 96;
}
} // namespace

namespace Units {
QFont font(const QString& family, qreal designPoints, QFont::Weight weight)
{
    QFont f(family);
    f.setPointSizeF(std::max<qreal>(designPoints, 1) * 72 / logicalDpi());
    f.setWeight(weight);
    return f;
}

QFont systemFont(qreal designPoints, QFont::Weight weight)
{
    return font(QStringLiteral("DejaVu Sans"), designPoints, weight);
}
} // namespace Units

DesignFont::DesignFont(const QString& family, qreal designPoints, QFont::Weight weight)
    : m_designPoints(std::max<qreal>(designPoints, 1))
{
    const qreal whole = std::ceil(m_designPoints - 1e-6);
    m_font = Units::font(family, whole, weight);
    m_scale = m_designPoints / whole;
}

DesignFont DesignFont::system(qreal designPoints, QFont::Weight weight)
{
    return DesignFont(QStringLiteral("DejaVu Sans"), designPoints, weight);
}

DesignFont DesignFont::scaled(qreal factor) const
{
    if (factor == 1)
        return *this;
    DesignFont font = *this;
    font.m_designPoints = std::max<qreal>(m_designPoints * factor, 1);
    const qreal whole = std::ceil(font.m_designPoints - 1e-6);
    font.m_font.setPointSizeF(m_font.pointSizeF() * whole / std::ceil(m_designPoints - 1e-6));
    font.m_scale = font.m_designPoints / whole;
    return font;
}

DesignFont DesignFont::tracked(qreal designPoints) const
{
    DesignFont font = *this;
    font.m_font.setLetterSpacing(QFont::AbsoluteSpacing, designPoints / m_scale);
    return font;
}

qreal DesignFont::horizontalAdvance(const QString& text) const
{
    return QFontMetricsF(m_font).horizontalAdvance(text) * m_scale;
}

qreal DesignFont::height() const
{
    return QFontMetricsF(m_font).height() * m_scale;
}

qreal DesignFont::ascent() const
{
    return QFontMetricsF(m_font).ascent() * m_scale;
}

QString DesignFont::elidedText(const QString& text, Qt::TextElideMode mode, qreal width) const
{
    return QFontMetricsF(m_font).elidedText(text, mode, width / m_scale);
}

void DesignFont::drawText(QPainter& painter, const QRectF& rect, int flags,
                          const QString& text) const
{
    painter.save();
    painter.setFont(m_font);
    painter.translate(rect.topLeft());
    painter.scale(m_scale, m_scale);
    painter.drawText(QRectF(QPointF(0, 0), rect.size() / m_scale), flags, text);
    painter.restore();
}

void DesignFont::drawText(QPainter& painter, const QPointF& baseline, const QString& text) const
{
    painter.save();
    painter.setFont(m_font);
    painter.translate(baseline);
    painter.scale(m_scale, m_scale);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}
