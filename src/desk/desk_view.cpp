#include "desk/desk_view.h"

#include "desk/desk_accessories.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "state/animation.h"

#include <QPainter>

namespace {
constexpr qreal kTabletopHeight = 22;
constexpr qreal kCabinetWidth = 660;
constexpr qreal kCabinetHeight = 95;
constexpr qreal kPedestalWidth = 140;
constexpr qreal kPedestalInset = 6;

// The tabletop and the cabinet under it, drawn over the objects' lowest 2 points.
class DeskSurface : public RoomItem {
public:
    explicit DeskSurface(QGraphicsItem* parent) : RoomItem(parent)
    {
        setSize({DeskView::kWidth, kTabletopHeight + kCabinetHeight});
        setPaintMargins(QMarginsF(6, 2, 6, 10));
        setCacheMode(DeviceCoordinateCache);
        const QColor drawer = Colors::srgb(0.92, 0.91, 0.89);
        const qreal cabinetLeft = (DeskView::kWidth - kCabinetWidth) / 2;
        const qreal drawersTop = kTabletopHeight + (kCabinetHeight - (2 * 38 + 5)) / 2;
        for (const qreal x : {cabinetLeft + kPedestalInset,
                              cabinetLeft + kCabinetWidth - kPedestalInset - kPedestalWidth}) {
            for (int i = 0; i < 2; ++i)
                (new DrawerBox(drawer, kPedestalWidth, this))->setPos(x, drawersTop + i * 43);
        }
        stopTakingPointer(this);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF cabinet((DeskView::kWidth - kCabinetWidth) / 2, kTabletopHeight, kCabinetWidth,
                             kCabinetHeight);
        p.fillRect(cabinet, Colors::srgb(0.96, 0.95, 0.93, 0.92));
        const qreal pedestal = kPedestalWidth + 2 * kPedestalInset;
        p.fillRect(QRectF(cabinet.left() + pedestal, cabinet.top() + kPedestalInset,
                          cabinet.width() - 2 * pedestal, cabinet.height() - 2 * kPedestalInset),
                   Colors::black(0.4));

        const QRectF slab(0, 0, DeskView::kWidth, kTabletopHeight);
        const QPainterPath slabShape = Painting::continuousRoundedRect(slab, 7);
        m_shadow.paint(p, slabShape, {Colors::black(0.28), 5, QPointF(0, 4)});
        p.setPen(Qt::NoPen);
        p.setBrush(Painting::verticalGradient(
            slab, {Colors::srgb(0.98, 0.97, 0.95), Colors::srgb(0.90, 0.89, 0.86)}));
        p.drawPath(slabShape);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Colors::black(0.08), 0.8));
        p.drawPath(slabShape);
        p.setPen(Qt::NoPen);
        p.setBrush(Colors::white(0.7));
        p.drawPath(Painting::continuousRoundedRect(
            QRectF(slab.center().x() - 320, slab.center().y() - 7 - 1, 640, 2), 3));
        p.restore();
    }

private:
    ShapeShadow m_shadow;
};
} // namespace

DeskView::DeskView(const RoomTheme& theme, BoolBinding isNightMode, BoolBinding showSpotifyPopup,
                   LampFactory lamp, RadioFactory radio, QGraphicsItem* parent)
    : RoomItem(parent), m_theme(theme), m_isNightMode(std::move(isNightMode)),
      m_showSpotifyPopup(std::move(showSpotifyPopup)), m_makeLamp(std::move(lamp))
{
    m_envelope = new LetterEnvelopeView([] { openMail(); }, this);
    if (radio) {
        m_radio = radio([this] {
            withAnimation(Animation::spring(0.5, 1.0),
                          [this] { m_showSpotifyPopup.set(!m_showSpotifyPopup.get()); });
        });
        m_radio->setParentItem(this);
    }
    m_surface = new DeskSurface(this);
    m_surface->setZValue(1);
    refresh();
}

void DeskView::refresh()
{
    if (m_makeLamp) {
        // Made anew; the old lamp may be the one whose click got here.
        if (m_lamp) {
            m_lamp->hide();
            m_lamp->deleteLater();
        }
        m_lamp = m_makeLamp(!m_isNightMode.get(), [this] {
            withAnimation(Animation::easeInOut(0.35),
                          [this] { m_isNightMode.set(!m_isNightMode.get()); });
            refresh();
        });
        m_lamp->setParentItem(this);
    }
    layout();
}

void DeskView::layout()
{
    const QSizeF lamp = m_lamp ? m_lamp->size() : QSizeF();
    const QSizeF radio = m_radio ? m_radio->size() : QSizeF();
    const QSizeF envelope = m_envelope->size();
    const qreal row = std::max({lamp.height(), radio.height(), envelope.height()});
    const qreal lampRight = 36 + lamp.width();
    const qreal radioLeft = kWidth - 40 - radio.width();
    const qreal space = std::max(qreal(0), (radioLeft - lampRight - envelope.width()) / 2);
    if (m_lamp)
        m_lamp->setPos(36, row - lamp.height());
    m_envelope->setPos(lampRight + space, row - envelope.height());
    if (m_radio)
        m_radio->setPos(radioLeft, row - radio.height());
    // The objects stand 2 points into the tabletop.
    m_surface->setPos(0, row - 2);
    setSize({kWidth, row - 2 + kTabletopHeight + kCabinetHeight});
}
