#include "desk/desk_accessories.h"

#include "kit/colors.h"
#include "kit/units.h"
#include "platform/app_launcher.h"

#include <QDesktopServices>
#include <QPainter>

namespace {

// A still drawing: cached as a picture, taking no pointer.
void makeStill(RoomItem* item, QSizeF size, const QMarginsF& margins)
{
    item->setSize(size);
    item->setPaintMargins(margins);
    item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    stopTakingPointer(item);
}
} // namespace

bool openMail(const std::function<void(const QUrl&)>& handOver)
{
    const QUrl mailto(QStringLiteral("mailto:"));
    if (AppLauncher::openWithSchemeHandler(mailto) != AppLauncher::Outcome::Missing)
        return true;
    if (handOver)
        handOver(mailto);
    else
        QDesktopServices::openUrl(mailto);
    return false;
}

LetterEnvelopeView::LetterEnvelopeView(std::function<void()> action, QGraphicsItem* parent)
    : ButtonItem([this](QPainter& p, const QRectF& r) { paintEnvelope(p, r); }, std::move(action),
                 parent)
{
    setSize({50, 32});
    setPaintMargins(QMarginsF(8, 8, 8, 10));
    setCacheMode(DeviceCoordinateCache);
    gestures().setToolTip(QStringLiteral("Surat: Klik untuk membuka aplikasi Mail macOS"));
}

void LetterEnvelopeView::paintEnvelope(QPainter& p, const QRectF& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(r.center());
    p.rotate(-4);
    p.translate(-r.center());
    const QPainterPath body = Painting::continuousRoundedRect(r, 5);
    m_shadow.paint(p, body, {Colors::black(0.18), 4, QPointF(0, 2)});
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::white(0.88));
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Painting::diagonalGradient(r, {Colors::white(0.9), Colors::white(0.2)}), 1));
    p.drawPath(body);
    const QPointF flap[] = {r.topLeft() + QPointF(1, 1), r.topLeft() + QPointF(25, 17),
                            r.topLeft() + QPointF(49, 1)};
    p.setPen(QPen(Colors::srgb(0.18, 0.18, 0.22, 0.2), 1));
    p.drawPolyline(flap, 3);
    p.setFont(Units::systemFont(11, QFont::Bold));
    p.setPen(Colors::srgb(0.3, 0.3, 0.75, 0.75));
    p.drawText(r.translated(0, 3), Qt::AlignCenter, QStringLiteral("@"));
    p.restore();
}

DrawerBox::DrawerBox(const QColor& color, qreal width, QGraphicsItem* parent)
    : RoomItem(parent), m_color(color)
{
    makeStill(this, {width, 38}, QMarginsF(1, 1, 1, 2));
}

void DrawerBox::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath front = Painting::continuousRoundedRect(rect(), 5);
    p.setPen(Qt::NoPen);
    p.setBrush(m_color);
    p.drawPath(front);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::black(0.1), 0.8));
    p.drawPath(front);
    const QRectF handle = Painting::centredRect(rect().center(), 28, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::black(0.15)); // its small shadow, half a point down
    p.drawPath(Painting::capsule(handle.translated(0, 0.5).adjusted(-0.5, -0.5, 0.5, 0.5)));
    p.setBrush(Painting::verticalGradient(
        handle, {Colors::srgb(0.92, 0.80, 0.48), Colors::srgb(0.75, 0.62, 0.30)}));
    p.drawPath(Painting::capsule(handle));
    p.restore();
}

StandingFanView::StandingFanView(QGraphicsItem* parent) : RoomItem(parent)
{
    makeStill(this, {58, 150}, QMarginsF(2, 2, 2, 2));
}

void StandingFanView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor frame = Colors::srgb(0.35, 0.60, 0.75);
    const QRectF head(0, 0, 58, 58);
    const QPointF c = head.center();
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::white(0.85));
    p.drawEllipse(head.adjusted(1.5, 1.5, -1.5, -1.5));
    p.setBrush(Colors::srgb(0.2, 0.5, 0.7, 0.7));
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 120);
        p.drawPath(Painting::capsule(Painting::centredRect(QPointF(0, -10), 10, 26)));
        p.restore();
    }
    p.setBrush(Qt::white);
    p.drawEllipse(Painting::centredRect(c, 10, 10));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(frame, 3));
    p.drawEllipse(head.adjusted(1.5, 1.5, -1.5, -1.5));
    p.fillRect(QRectF(27, 58, 4, 80), Colors::grey());
    p.fillRect(QRectF(9, 138, 40, 12), frame);
    p.restore();
}

WaterDispenserView::WaterDispenserView(QGraphicsItem* parent) : RoomItem(parent)
{
    makeStill(this, {48, 125}, QMarginsF(4, 2, 4, 6));
}

void WaterDispenserView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bottle(3, 0, 42, 60);
    const QPainterPath bottleShape = Painting::continuousRoundedRect(bottle, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::srgb(0.2, 0.55, 0.88, 0.8));
    p.drawPath(bottleShape);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::white(0.4), 1));
    p.drawPath(bottleShape);
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::white(0.4));
    p.drawPath(Painting::capsule(Painting::centredRect(bottle.center() + QPointF(-12, 0), 6, 35)));

    const QRectF cabinet(0, 60, 48, 65);
    const QPainterPath cabinetShape = Painting::continuousRoundedRect(cabinet, 4);
    m_shadow.paint(p, cabinetShape, {Colors::black(0.2), 2, QPointF(0, 2)});
    p.setBrush(Colors::srgb(0.92, 0.94, 0.96));
    p.drawPath(cabinetShape);
    // The taps over the drip tray, centred on the cabinet's front.
    const qreal panelHeight = 12 + 4 + 4;
    const qreal top = cabinet.center().y() - panelHeight / 2;
    p.setBrush(Colors::srgb(1, 0.23, 0.19));
    p.drawPath(Painting::continuousRoundedRect(QRectF(cabinet.center().x() - 12, top, 8, 12), 2));
    p.setBrush(Colors::srgb(0, 0.48, 1));
    p.drawPath(Painting::continuousRoundedRect(QRectF(cabinet.center().x() + 4, top, 8, 12), 2));
    p.fillRect(Painting::centredRect(QPointF(cabinet.center().x(), top + 16 + 2), 26, 4),
               Colors::grey(0.4));
    p.restore();
}
