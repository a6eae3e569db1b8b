#include "objects/guitar_view.h"

#include "kit/soft_shadow.h"
#include "objects/drawing_helpers.h"
#include "objects/guitar_drawings.h"
#include "platform/app_launcher.h"
#include "state/app_state.h"

#include <QPainter>

namespace {
constexpr qreal kFloorShadowRadius = 6;
} // namespace

void GuitarView::openMusicApp()
{
    AppLauncher::launch(AppLauncher::Target::MusicApp);
}

GuitarView::GuitarView(AppState& appState, ActiveDesktopQuickView card, Look look, Opener openMusic,
                       QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_card(std::move(card)), m_look(look)
{
    const qreal reach = SoftShadow::spread(kFloorShadowRadius) + 4;
    setPaintMargins(QMarginsF(reach, reach, reach, reach));
    // The double click is attached first: it runs alone, never after a single click.
    gestures().onDoubleTap(std::move(openMusic));
    gestures().onTap([this] { m_appState.toggleQuickView(m_card); });
}

void GuitarView::onSizeChanged()
{
    const QPainterPath guitar = m_look.outline(size());
    setDrawnOutline(guitar);
    // The stand is the guitar's too: a click on it opens the guitar's card.
    setHitShape(guitar.united(m_look.standOutline(size())));
}

void GuitarView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    m_cache.paint(*painter, boundingRect(), 0, [this](QPainter& p) { paintGuitar(p); });
}

void GuitarView::paintGuitar(QPainter& painter) const
{
    const QSizeF frame = size();
    const QSizeF shadow(m_look.shadowSize.width() * frame.width(),
                        m_look.shadowSize.height() * frame.height());
    const QPointF centre(m_look.shadowCentre.x() * frame.width(),
                         m_look.shadowCentre.y() * frame.height());
    ShapeShadow().paint(
        painter, Painting::ellipse(Painting::centredRect(centre, shadow.width(), shadow.height())),
        {ObjectDrawing::black(0.35), kFloorShadowRadius, {}});
    Painting::paintWithShadow(painter, rect(), m_look.canvasShadow,
                              [&](QPainter& p) { m_look.paint(p, frame); });
}

AcousticGuitarView::AcousticGuitarView(AppState& appState, Opener openMusic, QGraphicsItem* parent)
    : GuitarView(appState, ActiveDesktopQuickView::acousticGuitar(),
                 {QPointF(0.5, 0.982),
                  QSizeF(0.86, 0.042),
                  {ObjectDrawing::black(0.2), 5, QPointF(2, 4)},
                  &AcousticGuitarDrawing::paint,
                  &AcousticGuitarDrawing::outline,
                  &AcousticGuitarDrawing::standOutline},
                 std::move(openMusic), parent)
{
}

StratocasterGuitarView::StratocasterGuitarView(AppState& appState, Opener openMusic,
                                               QGraphicsItem* parent)
    : GuitarView(appState, ActiveDesktopQuickView::guitar(),
                 {QPointF(0.53, 0.98),
                  QSizeF(0.85, 0.04),
                  {ObjectDrawing::black(0.18), 5, QPointF(2, 4)},
                  &StratocasterDrawing::paint,
                  &StratocasterDrawing::outline,
                  &StratocasterDrawing::standOutline},
                 std::move(openMusic), parent)
{
}
