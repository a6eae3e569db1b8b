#pragma once

// What an item puts on the screen, read back from its painting: the texts it draws (as the
// paint engine receives them, so an elided line shows as elided) and the contrast between its
// ink and its ground.

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextItem>

#include <cmath>

// One text as drawn: its characters and its box in the scene.
struct PaintedText {
    QString text;
    QRectF box;
};

namespace PaintedLook {

namespace Detail {
class TextEngine : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QRectF box(p.x(), p.y() - item.ascent(), item.width(),
                         item.ascent() + item.descent());
        texts.append({item.text(), painter()->transform().mapRect(box)});
    }
    Type type() const override { return QPaintEngine::User; }

    QList<PaintedText> texts;
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

    mutable TextEngine engine;

private:
    QSize m_size;
};
} // namespace Detail

// Every text the scene draws in `area` (scene coordinates), in the order drawn.
inline QList<PaintedText> texts(QGraphicsScene& scene, const QRectF& area)
{
    Detail::TextDevice device(area.size().toSize());
    {
        QPainter painter(&device);
        scene.render(&painter, QRectF(QPointF(), area.size()), area);
    }
    QList<PaintedText> drawn = device.engine.texts;
    for (PaintedText& t : drawn)
        t.box.translate(area.topLeft());
    return drawn;
}

// Every text `item` draws itself (not its children), in its own coordinates, in the order
// drawn.
inline QList<PaintedText> texts(QGraphicsItem& item)
{
    const QRectF r = item.boundingRect();
    Detail::TextDevice device(r.size().toSize() + QSize(1, 1));
    {
        QPainter painter(&device);
        painter.translate(-r.topLeft());
        QStyleOptionGraphicsItem option;
        option.exposedRect = r;
        item.paint(&painter, &option, nullptr);
    }
    return device.engine.texts;
}

// The relative luminance of a colour (sRGB), as contrast ratios are worked out.
inline qreal luminance(const QColor& c)
{
    const auto channel = [](qreal v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

inline qreal contrastRatio(const QColor& a, const QColor& b)
{
    const qreal la = luminance(a);
    const qreal lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The item painted four times its size over `backdrop`: its ground is the commonest colour
// it paints, its ink the colour farthest from the ground in luminance (the middle of a
// stroke, where no edge is blended in). Gives the contrast ratio between the two.
inline qreal inkContrast(QGraphicsItem& item, const QColor& backdrop)
{
    const qreal scale = 4;
    const QRectF r = item.boundingRect();
    QImage image((r.size() * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(backdrop);
    {
        QPainter painter(&image);
        painter.scale(scale, scale);
        painter.translate(-r.topLeft());
        QStyleOptionGraphicsItem option;
        option.exposedRect = r;
        item.paint(&painter, &option, nullptr);
    }
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    }
    QRgb ground = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most && QColor(it.key()) != backdrop) {
            most = it.value();
            ground = it.key();
        }
    }
    qreal farthest = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (QColor(it.key()) != backdrop) // round the label, not on it
            farthest = std::max(farthest, contrastRatio(QColor(ground), QColor(it.key())));
    }
    return farthest;
}

} // namespace PaintedLook
