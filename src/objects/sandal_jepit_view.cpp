#include "objects/sandal_jepit_view.h"

#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "kit/perspective.h"
#include "kit/soft_shadow.h"
#include "kit/symbols.h"
#include "objects/drawing_helpers.h"
#include "platform/app_launcher.h"
#include "state/app_state.h"

#include <QMenu>
#include <QPainter>

#include <cmath>

using namespace ObjectDrawing;

namespace {
const QColor kPrimaryBlue = srgb(0.08, 0.34, 0.82);
const QColor kStrapDeepBlue = srgb(0.06, 0.26, 0.70);
const QColor kStrapHighlightBlue = srgb(0.38, 0.66, 0.98);
const QColor kSoleRimBlue = srgb(0.05, 0.22, 0.58);

const Animation kLiftSpring = Animation::spring(0.32, 0.75);
constexpr qreal kTiltDegrees = 60;
constexpr qreal kPerspective = 0.45;

const ShadowStyle kShadows[2] = {{black(0.38), 3.5, QPointF(0, 4)},
                                 {black(0.48), 5, QPointF(0, 6)}};

void strokeWith(QPainter& p, const QPainterPath& path, const QColor& color, qreal width,
                Qt::PenCapStyle cap, QPointF offset = {})
{
    p.strokePath(path.translated(offset), pen(color, width, cap));
}
} // namespace

namespace SandalDrawing {
QPainterPath soleOutline(QSizeF box)
{
    const qreal w = box.width();
    const qreal h = box.height();
    auto at = [w, h](qreal x, qreal y) { return QPointF(x * w, y * h); };
    QPainterPath path(at(0.50, 0.97));
    path.cubicTo(at(0.68, 0.97), at(0.78, 0.94), at(0.80, 0.85));
    path.cubicTo(at(0.82, 0.68), at(0.86, 0.50), at(0.88, 0.35));
    path.cubicTo(at(0.90, 0.22), at(0.84, 0.14), at(0.75, 0.12));
    path.cubicTo(at(0.64, 0.08), at(0.48, 0.04), at(0.35, 0.04));
    path.cubicTo(at(0.24, 0.04), at(0.16, 0.12), at(0.16, 0.22));
    path.cubicTo(at(0.16, 0.36), at(0.22, 0.48), at(0.25, 0.60));
    path.cubicTo(at(0.26, 0.70), at(0.22, 0.78), at(0.22, 0.86));
    path.cubicTo(at(0.22, 0.94), at(0.32, 0.97), at(0.50, 0.97));
    path.closeSubpath();
    return path;
}

void paintSandal(QPainter& p, QSizeF box, bool isLeft)
{
    const qreal W = box.width();
    const qreal H = box.height();
    auto at = [W, H](qreal x, qreal y) { return QPointF(x * W, y * H); };
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (isLeft) {
        p.translate(W, 0);
        p.scale(-1, 1);
    }
    const QPainterPath sole = soleOutline(box);
    p.fillPath(sole.translated(0, 3.5), kSoleRimBlue);
    p.fillPath(sole.translated(0, 1.5), white(0.85));
    p.fillPath(sole, Painting::linearGradient(QPointF(0, 0), QPointF(0, H),
                                              {srgb(0.98, 0.98, 0.98), srgb(0.93, 0.93, 0.93)}));
    strokeWith(p, sole, kPrimaryBlue, 1.5, Qt::FlatCap);
    QTransform inner;
    inner.translate(W / 2, H / 2);
    inner.scale(0.9, 0.9);
    inner.translate(-W / 2, -H / 2);
    strokeWith(p, inner.map(sole), Colors::withOpacity(kPrimaryBlue, 0.35), 0.8, Qt::FlatCap);

    // Heel badge.
    const QPointF heel = at(0.5, 0.8);
    const QPainterPath ring = Painting::circle(heel, 0.15 * W);
    strokeWith(p, ring, Colors::withOpacity(kPrimaryBlue, 0.4), 1.2, Qt::FlatCap);
    const QPainterPath disc = Painting::circle(heel, 0.11 * W);
    p.fillPath(disc, Colors::withOpacity(kPrimaryBlue, 0.12));
    const qreal glyph = 0.11 * W;
    Symbols::paint(p, QStringLiteral("bird.fill"),
                   QRectF(heel.x() - glyph / 2, heel.y() - glyph / 2, glyph, glyph),
                   Colors::withOpacity(kPrimaryBlue, 0.55));

    // Straps from the toe post, each with its shadow and highlight, and the knob.
    const QPointF post = at(0.38, 0.24);
    QPainterPath outer(post);
    outer.cubicTo(at(0.62, 0.28), at(0.78, 0.42), at(0.84, 0.56));
    QPainterPath innerStrap(post);
    innerStrap.cubicTo(at(0.26, 0.30), at(0.20, 0.44), at(0.20, 0.56));
    strokeWith(p, outer, black(0.2), 5.5, Qt::RoundCap, QPointF(1.5, 2));
    strokeWith(p, innerStrap, black(0.2), 5.5, Qt::RoundCap, QPointF(-1.5, 2));
    strokeWith(p, outer, kStrapDeepBlue, 4.8, Qt::RoundCap);
    strokeWith(p, outer, kStrapHighlightBlue, 1.6, Qt::RoundCap, QPointF(0, -0.6));
    strokeWith(p, innerStrap, kStrapDeepBlue, 4.8, Qt::RoundCap);
    strokeWith(p, innerStrap, kStrapHighlightBlue, 1.6, Qt::RoundCap, QPointF(0, -0.6));
    const QPainterPath knob = Painting::circle(post, 0.08 * W);
    p.fillPath(knob, kStrapDeepBlue);
    const QPainterPath shine = Painting::circle(post + QPointF(-0.5, -0.5), 0.045 * W);
    p.fillPath(shine, kStrapHighlightBlue);
    p.restore();
}
} // namespace SandalDrawing

SandalJepitView::Openers SandalJepitView::standardOpeners()
{
    using AppLauncher::Target;
    return {[] { AppLauncher::launch(Target::Browser); },
            [] { AppLauncher::launch(Target::SearchHomePage); },
            [] { AppLauncher::launch(Target::VideoHomePage); }};
}

SandalJepitView::SandalJepitView(AppState& appState, Openers openers, QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState),
      m_lift(appState.isHoveringSandal() ? 1.0 : 0.0, [this] { update(); })
{
    Gestures& g = gestures();
    g.onHover([this](bool inside) { m_appState.setHoveringSandal(inside); });
    g.onTap(openers.browser);
    g.setContextMenu([openers](QMenu& menu) {
        Gestures::addMenuAction(menu, QStringLiteral("Buka Google Chrome"), openers.browser);
        Gestures::addMenuAction(menu, QStringLiteral("Buka Tab Baru (Google)"),
                                openers.searchHomePage);
        menu.addSeparator();
        Gestures::addMenuAction(menu, QStringLiteral("Buka YouTube"), openers.videoHomePage);
    });
    g.setToolTip(QStringLiteral("Sandal Jepit: Klik untuk membuka Google Chrome"));
    connect(&appState, &AppState::isHoveringSandalChanged, this, [this] {
        const double target = m_appState.isHoveringSandal() ? 1.0 : 0.0;
        if (m_lift.target() != target)
            m_lift.animateTo(target, kLiftSpring);
    });
}

QRectF SandalJepitView::hitRect() const
{
    return QRectF(QPointF(size().width() - kHitSize.width(), size().height() - kHitSize.height()) /
                      2,
                  kHitSize);
}

QTransform SandalJepitView::tilt() const
{
    const QRectF row = hitRect();
    return tiltedAboutX(kTiltDegrees, row.center(),
                        perspectiveDistance(row.width(), row.height(), kPerspective));
}

void SandalJepitView::onSizeChanged()
{
    QPainterPath hit;
    hit.addRect(hitRect());
    setHitShape(hit);
    // The tilted pair, lifted and scaled, with the larger of its two shadows.
    const QRectF tilted = tilt().mapRect(hitRect().adjusted(-6, -6, 6, 6));
    const qreal reach = SoftShadow::spread(kShadows[1].radius) + 8;
    m_area = tilted.adjusted(-reach, -reach, reach, reach) | rect();
    setPaintMargins(QMarginsF(-m_area.left(), -m_area.top(), m_area.right() - size().width(),
                              m_area.bottom() - size().height()));
    m_pixelRatio = 0;
}

void SandalJepitView::makeImages(qreal pixelRatio)
{
    m_pixelRatio = pixelRatio;
    m_pair =
        QImage(int(std::ceil(m_area.width() * pixelRatio)),
               int(std::ceil(m_area.height() * pixelRatio)), QImage::Format_ARGB32_Premultiplied);
    m_pair.setDevicePixelRatio(pixelRatio);
    m_pair.fill(Qt::transparent);
    const QTransform tilted = tilt();
    const QRectF row = hitRect();
    drawOnPaintingHelper([&] {
        QPainter p(&m_pair);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(-m_area.topLeft());
        p.setTransform(tilted, true);
        const struct {
            bool isLeft;
            qreal centreX;
            qreal angle;
            qreal dy;
        } sandals[2] = {{true, row.left() + kSandalSize.width() / 2, -10, 2},
                        {false, row.right() - kSandalSize.width() / 2, 7, -2}};
        for (const auto& s : sandals) {
            p.save();
            p.translate(s.centreX, row.center().y() + s.dy);
            p.rotate(s.angle);
            p.translate(-kSandalSize.width() / 2, -kSandalSize.height() / 2);
            SandalDrawing::paintSandal(p, kSandalSize, s.isLeft);
            p.restore();
        }
    });
    for (int i = 0; i < 2; ++i)
        m_shadows[i] = SoftShadow::blurred(m_pair, kShadows[i].radius, kShadows[i].color);
}

void SandalJepitView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_area.isEmpty())
        return;
    const qreal k = m_lift.value();
    const qreal pixelRatio = Painting::cachePixelRatio(*painter);
    if (pixelRatio != m_pixelRatio || m_pair.isNull())
        makeImages(pixelRatio);
    painter->save();
    const QPointF centre = hitRect().center();
    painter->translate(centre + QPointF(0, -2 * k));
    painter->scale(1 + 0.08 * k, 1 + 0.08 * k);
    painter->translate(-centre);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    // The two shadows cross-fade as the pair lifts; each was blurred once.
    for (int i = 0; i < 2; ++i) {
        const qreal weight = i == 0 ? 1 - k : k;
        if (weight <= 0)
            continue;
        const qreal pad = (m_shadows[i].width() - m_pair.width()) / 2.0 / pixelRatio;
        painter->setOpacity(std::clamp(weight, 0.0, 1.0));
        painter->drawImage(m_area.topLeft() - QPointF(pad, pad) + QPointF(0, 4 + 2 * k),
                           m_shadows[i]);
    }
    painter->setOpacity(1);
    painter->drawImage(m_area.topLeft(), m_pair);
    painter->restore();
}
