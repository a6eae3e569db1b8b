#include "desk/desk_lamp_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "state/animation.h"
#include "state/app_state.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace {
QColor mix(const QColor& from, const QColor& to, qreal f)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * f),
                            float(from.greenF() + (to.greenF() - from.greenF()) * f),
                            float(from.blueF() + (to.blueF() - from.blueF()) * f),
                            float(from.alphaF() + (to.alphaF() - from.alphaF()) * f));
}

QLinearGradient brassGradient(const QRectF& r)
{
    return Painting::diagonalGradient(r, {Colors::srgb(0.96, 0.88, 0.6),
                                          Colors::srgb(0.82, 0.65, 0.35),
                                          Colors::srgb(0.68, 0.48, 0.22)});
}

QLinearGradient rodGradient(const QRectF& r)
{
    return Painting::verticalGradient(
        r, {Colors::srgb(0.94, 0.86, 0.58), Colors::srgb(0.72, 0.54, 0.26)});
}

// A radial fill whose colours run evenly from `start` to `end` (in points from `centre`).
QRadialGradient ring(QPointF centre, qreal start, qreal end, std::initializer_list<QColor> colors)
{
    QRadialGradient g(centre, end);
    const qsizetype n = qsizetype(colors.size());
    qsizetype i = 0;
    for (const QColor& c : colors) {
        const qreal at = (start + (end - start) * qreal(i) / qreal(n - 1)) / end;
        if (i == 0)
            g.setColorAt(0, c);
        g.setColorAt(at, c);
        ++i;
    }
    return g;
}

// The lamp is drawn in the label's coordinates: 210 x 175, resting on its bottom edge.
constexpr qreal kLabelWidth = 210;
constexpr qreal kLabelHeight = 175;
} // namespace

QPainterPath DeskLampView::lampShadeShape(const QRectF& rect)
{
    const qreal k = 0.22 * rect.width();
    QPainterPath path(QPointF(rect.left() + k, rect.top()));
    path.lineTo(rect.right() - k, rect.top());
    path.quadTo(QPointF(rect.right() - 0.35 * k, rect.center().y()), rect.bottomRight());
    path.lineTo(rect.bottomLeft());
    path.quadTo(QPointF(rect.left() + 0.35 * k, rect.center().y()),
                QPointF(rect.left() + k, rect.top()));
    path.closeSubpath();
    return path;
}

// The whole lamp with its glow, drawn for the light shown now and kept as a picture
// until the light changes.
class DeskLampView::Drawing : public QGraphicsItem {
public:
    Drawing(const DeskLampView& lamp, QGraphicsItem* parent) : QGraphicsItem(parent), m_lamp(lamp)
    {
        setCacheMode(DeviceCoordinateCache);
        stopTakingPointer(this);
    }

    QRectF boundingRect() const override
    {
        // The halo reaches 93 points above the label.
        return QRectF(-2, -95, kLabelWidth + 4, kLabelHeight + 100);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        paintFillsWhole(*this, *painter, boundingRect(), [&](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing);
            const qreal lit = std::clamp(m_lamp.shownLight(), 0.0, 1.0);
            const qreal mid = kLabelWidth / 2;

            if (lit > 0) {
                p.save();
                p.setOpacity(lit);
                // The halo round the shade.
                const QRectF halo(0, kLabelHeight - 210 - 58, 210, 210);
                p.fillPath(Painting::ellipse(halo),
                           ring(halo.center(), 15, 105,
                                {Colors::srgb(1, 0.94, 0.72, 0.5), Colors::srgb(1, 0.86, 0.5, 0.24),
                                 Colors::srgb(1, 0.78, 0.38, 0.08), Qt::transparent}));
                // The pool of light on the desk, softened once.
                const QRectF pool(mid - 75, kLabelHeight - 26 + 3, 150, 26);
                if (m_pool.isNull()) {
                    QImage shape(QSize(150 + 12, 26 + 12) * 2, QImage::Format_ARGB32_Premultiplied);
                    shape.setDevicePixelRatio(2);
                    shape.fill(Qt::transparent);
                    QPainter s(&shape);
                    s.setRenderHint(QPainter::Antialiasing);
                    const QRectF local(6, 6, 150, 26);
                    s.fillPath(
                        Painting::ellipse(local),
                        ring(local.center(), 24, 80,
                             {Colors::srgb(1, 0.96, 0.78, 0.4), Colors::srgb(1, 0.88, 0.52, 0.18),
                              Colors::srgb(1, 0.8, 0.4, 0.05), Qt::transparent}));
                    s.end();
                    SoftShadow::blurInPlace(shape, 2.0); // radius 2: sigma 1 point, 2 pixels
                    m_pool = shape;
                }
                p.drawImage(pool.topLeft() - QPointF(6, 6), m_pool);
                p.restore();
            }

            // The contact shadow and the line the foot stands on.
            m_contact.paint(p, Painting::ellipse(QRectF(mid - 31, kLabelHeight - 8 + 2.5, 62, 8)),
                            ShadowStyle{Colors::black(0.35), 2, {}});
            p.fillPath(Painting::capsule(QRectF(mid - 24, kLabelHeight - 3.5 + 1, 48, 3.5)),
                       Colors::black(0.85));

            // The lamp, 76 x 122, scaled 1.36 about its bottom centre.
            p.save();
            p.translate(mid, kLabelHeight);
            p.scale(1.36, 1.36);
            p.translate(-38, -122);
            paintLamp(p, lit);
            p.restore();
        });
    }

private:
    void paintLamp(QPainter& p, qreal lit)
    {
        // Pieces stacked from the top, 123 points tall in a 122-point box.
        const qreal top = -0.5;
        const qreal shadeTop = top + 6;
        const qreal neckTop = shadeTop + 46;
        const qreal bodyTop = neckTop + 16;
        const qreal footTop = bodyTop + 38;

        // The shade: its fill and glow, the pleats, the rims.
        const QRectF shade(4, shadeTop, 68, 46);
        const QPainterPath outline = lampShadeShape(shade);
        p.save();
        p.setOpacity(1 - lit);
        m_shadeShadowOff.paint(p, outline, ShadowStyle{Colors::black(0.18), 2, QPointF(0, 2)});
        p.setOpacity(lit);
        m_shadeShadowOn.paint(p, outline,
                              ShadowStyle{Colors::srgb(1, 1, 0, 0.35), 5, QPointF(0, 2)});
        p.restore();
        p.fillPath(
            outline,
            Painting::verticalGradient(
                shade, {mix(Colors::srgb(0.94, 0.92, 0.86), Colors::srgb(1, 0.97, 0.86), lit),
                        mix(Colors::srgb(0.86, 0.83, 0.76), Colors::srgb(1, 0.89, 0.62), lit),
                        mix(Colors::srgb(0.78, 0.74, 0.66), Colors::srgb(0.98, 0.78, 0.42), lit)}));
        const QRectF pleatRow(4 + 7.5, shadeTop, 53, 46);
        p.save();
        p.setClipPath(lampShadeShape(pleatRow));
        const QColor pleat = mix(Colors::black(0.09), Colors::srgb(0.9, 0.72, 0.36, 0.4), lit);
        for (int i = 0; i < 9; ++i)
            p.fillRect(QRectF(pleatRow.left() + 6.5 * i, shadeTop, 1, 46), pleat);
        p.restore();
        const QRectF topRim(20, shadeTop, 36, 2.5);
        p.fillPath(Painting::continuousRoundedRect(topRim, 1), brassGradient(topRim));
        const QRectF bottomRim(4, shadeTop + 46 - 3.5, 68, 3.5);
        m_rimShadow.paint(p, Painting::continuousRoundedRect(bottomRim, 1.5),
                          ShadowStyle{Colors::black(0.2), 1, QPointF(0, 1)});
        p.fillPath(Painting::continuousRoundedRect(bottomRim, 1.5), brassGradient(bottomRim));

        // The body: shadow, glass, highlight, facets, then the collar over them.
        const QRectF glass(24, bodyTop, 28, 36);
        m_glassShadow.paint(p, Painting::ellipse(glass.translated(0, 2)),
                            ShadowStyle{Colors::black(0.22), 2, {}});
        p.fillPath(Painting::ellipse(glass),
                   Painting::diagonalGradient(glass, {Colors::srgb(0.12, 0.56, 0.38),
                                                      Colors::srgb(0.06, 0.38, 0.24),
                                                      Colors::srgb(0.02, 0.22, 0.14)}));
        p.strokePath(Painting::ellipse(glass), QPen(Colors::srgb(0.04, 0.26, 0.16), 1));
        QPainterPath highlight;
        for (int step = 0; step <= 20; ++step) {
            const double a = (130 + 5.0 * step) * std::numbers::pi / 180;
            const QPointF at(22 + 10 + 8 * std::cos(a), bodyTop + 16 + 8 * std::sin(a));
            if (step == 0)
                highlight.moveTo(at);
            else
                highlight.lineTo(at);
        }
        p.strokePath(highlight, QPen(Colors::white(0.65), 2, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            p.fillRect(QRectF(32.5 + 5 * i, bodyTop + 5, 1, 26), Colors::black(0.18));
        const QRectF collar(30, bodyTop, 16, 3);
        p.fillPath(Painting::continuousRoundedRect(collar, 1), brassGradient(collar));

        // The foot.
        const QRectF foot1(29, footTop, 18, 4);
        const QRectF foot2(24, footTop + 5, 28, 5);
        const QRectF foot3(19, footTop + 11, 38, 6);
        p.fillPath(Painting::continuousRoundedRect(foot1, 1), rodGradient(foot1));
        p.fillPath(Painting::continuousRoundedRect(foot2, 1.5), rodGradient(foot2));
        m_footShadow.paint(p, Painting::continuousRoundedRect(foot3, 2),
                           ShadowStyle{Colors::black(0.35), 2, QPointF(0, 2)});
        p.fillPath(Painting::continuousRoundedRect(foot3, 2), brassGradient(foot3));

        // The neck over the shade and the body: rod, socket and the pull chain.
        const QRectF rod(35, neckTop, 6, 16);
        p.fillRect(rod, rodGradient(rod));
        const QRectF socket(31, neckTop + 5, 14, 6);
        p.fillPath(Painting::continuousRoundedRect(socket, 1.5), brassGradient(socket));
        const qreal chainTop = neckTop + 8 + 7 - 23.5 / 2;
        for (int i = 0; i < 6; ++i)
            p.fillPath(Painting::ellipse(QRectF(48 - 0.9, chainTop + 3.0 * i, 1.8, 1.8)),
                       Colors::srgb(0.9, 0.76, 0.4));
        const QRectF pull(48 - 1.6, chainTop + 18, 3.2, 5.5);
        p.fillPath(Painting::capsule(pull), brassGradient(pull));

        // The finial over the shade, 2 points lower than its place.
        const QRectF knob(35, top + 2, 6, 6);
        p.fillPath(Painting::ellipse(knob), brassGradient(knob));
        p.fillRect(QRectF(36.5, top + 2 + 4, 3, 4), Colors::srgb(0.82, 0.64, 0.32));
    }

    const DeskLampView& m_lamp;
    QImage m_pool;
    ShapeShadow m_contact;
    ShapeShadow m_shadeShadowOff;
    ShapeShadow m_shadeShadowOn;
    ShapeShadow m_rimShadow;
    ShapeShadow m_glassShadow;
    ShapeShadow m_footShadow;
};

DeskLampView::DeskLampView(AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_lit(appState.lampOn() ? 1.0 : 0.0)
{
    setFlag(ItemSendsScenePositionChanges);
    m_drawing = new Drawing(*this, this);
    m_lit.setOnFrame([this] { m_drawing->update(); });
    connect(&m_appState, &AppState::lampOnChanged, this,
            [this] { m_lit.set(m_appState.lampOn() ? 1.0 : 0.0); });
    gestures().onTap([this] { toggle(); });
    gestures().setToolTip(
        QStringLiteral("Lampu Meja Klasik: Klik untuk menyalakan / mematikan lampu"));
    onSizeChanged();
}

QRectF DeskLampView::labelRect() const
{
    QRectF label(QPointF(), labelSize);
    label.moveCenter(rect().center());
    return label;
}

void DeskLampView::toggle()
{
    withAnimation(Animation::easeInOut(0.35),
                  [this] { m_appState.setLampOn(!m_appState.lampOn()); });
}

void DeskLampView::onSizeChanged()
{
    const QRectF label = labelRect();
    m_drawing->setPos(label.topLeft());
    setPaintMargins(QMarginsF(std::max<qreal>(0, -label.left()) + 2,
                              std::max<qreal>(0, -label.top()) + 95,
                              std::max<qreal>(0, label.right() - size().width()) + 2,
                              std::max<qreal>(0, label.bottom() - size().height()) + 5));
    updateHitShape();
}

QVariant DeskLampView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemScenePositionHasChanged || change == ItemParentHasChanged)
        updateHitShape();
    return RoomItem::itemChange(change, value);
}

void DeskLampView::updateHitShape()
{
    QPainterPath hit;
    hit.addRect(labelRect());
    // The label reaches up over the corkboard's lower corner and, on narrower screens, over
    // the shelf's right side: both keep their clicks.
    if (auto* room = dynamic_cast<RoomItem*>(topLevelItem()); room && room != this) {
        const RoomGeometry geometry(room->size());
        for (Furniture neighbour : {Furniture::Corkboard, Furniture::Bookshelf}) {
            QPainterPath frame;
            frame.addPolygon(mapFromItem(room, geometry.frame(neighbour).rect()));
            frame.closeSubpath();
            hit = hit.subtracted(frame);
        }
    }
    setHitShape(hit);
}
