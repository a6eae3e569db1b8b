#include "kit/panel_backdrop.h"

#include "kit/colors.h"
#include "kit/soft_shadow.h"
#include "kit/visual_effect_view.h"

#include <QPainter>

#include <algorithm>

namespace {
QBrush diagonal(const QRectF& rect, const QList<QColor>& colors)
{
    if (colors.size() == 1 || std::all_of(colors.begin(), colors.end(),
                                          [&](const QColor& c) { return c == colors.front(); }))
        return colors.front();
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    for (qsizetype i = 0; i < colors.size(); ++i)
        gradient.setColorAt(qreal(i) / qreal(colors.size() - 1), colors[i]);
    return gradient;
}
} // namespace

PanelSurface PanelSurface::card()
{
    PanelSurface s;
    s.cornerRadius = 12;
    const QColor window = Colors::withOpacity(Colors::windowBackground(), 0.82);
    s.tints = {{window, window}};
    s.rim = {Colors::white(0.7), Colors::white(0.2)};
    s.shadows = {ShadowStyle{Colors::black(0.24), 14, QPointF(0, 8)}};
    return s;
}

// The rim, over the panel's content.
class PanelBackdrop::Rim : public RoomItem {
public:
    Rim(const PanelBackdrop& backdrop, QGraphicsItem* parent)
        : RoomItem(parent), m_backdrop(backdrop)
    {
        setPaintMargins(QMarginsF(1, 1, 1, 1));
        stopTakingPointer(this);
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const QList<QColor>& colors = m_backdrop.m_surface.rim;
        if (colors.isEmpty())
            return;
        painter->setRenderHint(QPainter::Antialiasing);
        const QPainterPath outline =
            Painting::continuousRoundedRect(rect(), m_backdrop.m_surface.cornerRadius);
        painter->strokePath(
            outline, QPen(diagonal(rect(), colors), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    }

private:
    const PanelBackdrop& m_backdrop;
};

PanelBackdrop::PanelBackdrop(const PanelSurface& surface, RoomItem* panel)
    : RoomItem(panel), m_surface(surface), m_panel(panel), m_shadows(size_t(surface.shadows.size()))
{
    // Behind the panel's own drawing and everything it holds; the rim over all of it.
    setFlag(ItemStacksBehindParent);
    setZValue(-1e6);
    stopTakingPointer(this);
    qreal reach = 1;
    for (const ShadowStyle& s : m_surface.shadows) {
        reach = std::max(reach, SoftShadow::spread(s.radius) +
                                    std::max(std::abs(s.offset.x()), std::abs(s.offset.y())));
    }
    setPaintMargins(QMarginsF(reach, reach, reach, reach));
    m_material = new VisualEffectView(VisualEffectView::Material::Popover,
                                      VisualEffectView::BlendingMode::WithinWindow,
                                      VisualEffectView::State::Active, this);
    m_material->setFlag(ItemStacksBehindParent);
    m_rim = new Rim(*this, panel);
    m_rim->setZValue(1e6);
    connect(panel, &RoomItem::sizeChanged, this, &PanelBackdrop::follow);
    follow();
}

void PanelBackdrop::setCardRect(const QRectF& rect)
{
    m_cardRect = rect;
    follow();
}

void PanelBackdrop::follow()
{
    const QRectF card = m_cardRect.value_or(m_panel->rect());
    setPos(card.topLeft());
    setSize(card.size());
    m_rim->setPos(card.topLeft());
    m_rim->setSize(card.size());
}

QPainterPath PanelBackdrop::outline() const
{
    return Painting::continuousRoundedRect(rect(), m_surface.cornerRadius);
}

void PanelBackdrop::onSizeChanged()
{
    m_material->setSize(size());
    m_material->setClipShape(outline());
    update();
}

void PanelBackdrop::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QPainterPath card = outline();
    // The shadows fall outside the card only: a translucent card shows none through itself.
    if (!m_surface.shadows.isEmpty()) {
        painter->save();
        QPainterPath outside;
        outside.addRect(boundingRect());
        painter->setClipPath(outside.subtracted(card), Qt::IntersectClip);
        for (qsizetype i = 0; i < m_surface.shadows.size(); ++i)
            m_shadows[size_t(i)].paint(*painter, card, m_surface.shadows[i]);
        painter->restore();
    }
    for (const PanelSurface::Tint& tint : m_surface.tints)
        painter->fillPath(card, diagonal(rect(), {tint.from, tint.to}));
}
