#include "wall/presidential_portrait_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/fitted_text.h"
#include "kit/units.h"
#include "state/app_state.h"

#include <QCursor>
#include <QPainter>

#include <algorithm>

namespace {
using Colors::srgb;

// A rectangle of `size` less `inset` in both directions, centred on `centre`, never negative.
QRectF inset(const QSizeF& size, qreal inset, QPointF centre)
{
    const qreal w = std::max(size.width() - inset, qreal(0));
    const qreal h = std::max(size.height() - inset, qreal(0));
    return QRectF(centre.x() - w / 2, centre.y() - h / 2, w, h);
}

QPen stroke(const QBrush& brush, qreal width)
{
    return QPen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}
} // namespace

PresidentialPortraitView::PresidentialPortraitView(PresidentialPortraitType type,
                                                   AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_type(type), m_appState(appState)
{
    setPaintMargins(QMarginsF(6, 6, 8, 10));
    // The frame never changes: drawn once per size, the room's fire passes over it.
    setCacheMode(DeviceCoordinateCache);
    // The item's own cursor: the view sets and restores it with the hover, so no cursor is
    // left behind when the portrait goes while the pointer is over it.
    setCursor(Qt::PointingHandCursor);
    setAcceptHoverEvents(true);
    gestures().onTap([this] { toggleFireMode(); });
    connect(&m_appState, &AppState::isFireModeActiveChanged, this,
            &PresidentialPortraitView::updateHelp);
    updateHelp();
}

QString PresidentialPortraitView::personName(PresidentialPortraitType type)
{
    return type == PresidentialPortraitType::President ? QStringLiteral("Dr. Hendra Wiratama")
                                                       : QStringLiteral("Rahmat Santoso Hidayat");
}

QString PresidentialPortraitView::officeTitle(PresidentialPortraitType type)
{
    return type == PresidentialPortraitType::President
               ? QStringLiteral("Presiden Republik Indonesia")
               : QStringLiteral("Wakil Presiden RI");
}

QString PresidentialPortraitView::nameplateName(PresidentialPortraitType type)
{
    return type == PresidentialPortraitType::President ? QStringLiteral("DR. HENDRA W.")
                                                       : QStringLiteral("RAHMAT S. H.");
}

QString PresidentialPortraitView::shortTitle(PresidentialPortraitType type)
{
    return type == PresidentialPortraitType::President ? QStringLiteral("PRESIDEN RI")
                                                       : QStringLiteral("WAPRES RI");
}

QString PresidentialPortraitView::helpText(PresidentialPortraitType type, bool fireActive)
{
    return officeTitle(type) + QStringLiteral(": ") + personName(type) +
           (fireActive ? QStringLiteral(" (Klik untuk memadamkan api)")
                       : QStringLiteral(" (Klik untuk mengaktifkan rahasia kebakaran!)"));
}

void PresidentialPortraitView::toggleFireMode()
{
    // The room's one switch: both portraits flip the same flag.
    m_appState.toggleFireMode();
}

void PresidentialPortraitView::updateHelp()
{
    gestures().setToolTip(helpText(m_type, m_appState.isFireModeActive()));
}

QRectF PresidentialPortraitView::pictureRect(const QSizeF& size)
{
    const QSizeF s(std::max(size.width() - 12, qreal(0)), std::max(size.height() - 20, qreal(0)));
    return QRectF(QPointF((size.width() - s.width()) / 2, (size.height() - s.height()) / 2 - 4), s);
}

QRectF PresidentialPortraitView::nameplateRect(const QSizeF& size)
{
    const qreal w = std::max(size.width() - 13, qreal(0));
    return QRectF(size.width() / 2 - w / 2, size.height() - 7.5 - 4.25, w, 8.5);
}

void PresidentialPortraitView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    paintFillsWhole(*this, *painter, boundingRect(), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        const QSizeF s = size();
        const QRectF frame = rect();
        const QPointF c = frame.center();

        const QPainterPath body = Painting::continuousRoundedRect(frame, 3.5);
        m_shadow.paint(p, body, ShadowStyle{Colors::black(0.32), 3, QPointF(1, 2.5)});
        p.fillPath(
            body, Painting::diagonalGradient(frame, {srgb(0.32, 0.20, 0.12), srgb(0.22, 0.13, 0.08),
                                                     srgb(0.16, 0.09, 0.05)}));
        p.strokePath(body, stroke(Painting::diagonalGradient(
                                      frame, {Colors::white(0.25), Colors::black(0.5)}),
                                  0.8));

        const QRectF gilt = inset(s, 5, c);
        p.strokePath(
            Painting::continuousRoundedRect(gilt, 2),
            stroke(Painting::diagonalGradient(gilt, {srgb(0.95, 0.84, 0.52), srgb(0.70, 0.56, 0.30),
                                                     srgb(0.88, 0.76, 0.44)}),
                   1.2));

        const QRectF matRect = inset(s, 7.5, c);
        const QPainterPath mat = Painting::continuousRoundedRect(matRect, 1.5);
        p.fillPath(mat, srgb(0.96, 0.95, 0.92));
        p.strokePath(mat, stroke(Colors::black(0.18), 0.6));

        const QRectF picture = pictureRect(s);
        if (!picture.isEmpty()) {
            p.save();
            p.setClipRect(picture, Qt::IntersectClip);
            p.translate(picture.topLeft());
            PortraitDrawing::draw(p, picture.size(), m_type);
            const qreal pw = picture.width();
            const qreal ph = picture.height();
            QPainterPath sheen;
            sheen.moveTo(0, 0);
            sheen.lineTo(0.65 * pw, 0);
            sheen.lineTo(0.15 * pw, ph);
            sheen.lineTo(0, ph);
            sheen.closeSubpath();
            p.fillPath(sheen, Painting::linearGradient(QPointF(0, 0), QPointF(pw, ph),
                                                       {Colors::white(0.14), Colors::white(0.01)}));
            p.fillRect(QRectF(0, 0, pw, 0.6), Colors::white(0.28));
            p.restore();
            p.setPen(stroke(Colors::black(0.35), 0.6));
            p.setBrush(Qt::NoBrush);
            p.drawRect(picture);
        }

        paintNameplate(p, nameplateRect(s));
    });
}

FittedText::Layout PresidentialPortraitView::nameplateLayout(PresidentialPortraitType type,
                                                             qreal width)
{
    FittedText::Options options;
    options.minimumScale = 0.7;
    const DesignFont font = DesignFont::system(4.8, QFont::Black);
    return FittedText::fit(nameplateName(type), font, QSizeF(width, font.height()), options);
}

void PresidentialPortraitView::paintNameplate(QPainter& p, const QRectF& plate)
{
    if (plate.width() <= 0)
        return;
    const QPainterPath shape = Painting::continuousRoundedRect(plate, 1.2);
    p.fillPath(shape.translated(0, 0.6), Colors::black(0.22));
    p.fillPath(shape,
               Painting::verticalGradient(plate, {srgb(0.94, 0.84, 0.54), srgb(0.76, 0.62, 0.34)}));
    p.strokePath(shape, stroke(srgb(0.55, 0.42, 0.22), 0.5));

    // Two lines centred on the plate; the name shrinks to 70 % before it is cut.
    const qreal available = std::max(plate.width() - 3, qreal(0));
    const FittedText::Layout name = nameplateLayout(m_type, available);
    const DesignFont titleFont = DesignFont::system(3.8, QFont::Bold);
    const qreal height = name.lineHeight + 0.5 + titleFont.height();
    const qreal top = plate.center().y() - height / 2;
    const qreal left = plate.center().x() - available / 2;

    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    FittedText::draw(p, name, QRectF(left, top, available, name.lineHeight), Qt::AlignCenter,
                     srgb(0.16, 0.11, 0.05));
    p.setPen(srgb(0.35, 0.24, 0.10));
    const QString title = PresidentialPortraitView::shortTitle(m_type);
    titleFont.drawText(p, QRectF(left, top + name.lineHeight + 0.5, available, titleFont.height()),
                       Qt::AlignCenter | Qt::TextSingleLine,
                       FittedText::elided(title, titleFont, available, Qt::ElideRight));
    p.restore();
}
