#include "room/effects/burning_fire_modifier.h"

#include "kit/cached_shadow_effect.h"
#include "kit/transition.h"
#include "room/effects/asset_fire_effect_view.h"
#include "state/app_state.h"

namespace {
// Above anything the holder stacks beside the piece.
constexpr qreal kAboveSiblings = 1000;
} // namespace

BurningFireModifier::BurningFireModifier(AppState& appState, qreal flameHeight, bool showBaseFlames,
                                         bool showTopFlames, QGraphicsItem* parent)
    : QGraphicsObject(parent), m_appState(appState), m_flameHeight(flameHeight),
      m_showBaseFlames(showBaseFlames), m_showTopFlames(showTopFlames)
{
    setFlag(ItemHasNoContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setZValue(kAboveSiblings);
    connect(&m_appState, &AppState::isFireModeActiveChanged, this, &BurningFireModifier::follow);
    follow();
}

BurningFireModifier::~BurningFireModifier()
{
    // The piece may outlive its fire.
    setGlow(false);
}

void BurningFireModifier::setFrame(const QRectF& frame)
{
    m_frame = frame;
    if (m_fire)
        m_fire->setFrame(RoomFrame{frame.center(), frame.size()});
}

void BurningFireModifier::setOutline(const std::optional<QPainterPath>& outline)
{
    m_outline = outline;
    if (m_fire)
        m_fire->setOutline(outline);
}

void BurningFireModifier::setContent(QGraphicsItem* content)
{
    if (content == m_content)
        return;
    setGlow(false);
    m_content = content;
    follow();
}

bool BurningFireModifier::isActive() const
{
    return m_fire != nullptr;
}

AssetFireEffectView* BurningFireModifier::fireView() const
{
    return m_fire;
}

bool BurningFireModifier::isGlowing() const
{
    return m_glow && m_content && m_content->graphicsEffect() == m_glow;
}

void BurningFireModifier::letGlowGo()
{
    if (isGlowing())
        static_cast<CachedShadowEffect*>(m_glow.data())->letPictureGo();
}

void BurningFireModifier::follow()
{
    const bool burning = m_appState.isFireModeActive();
    if (burning && !m_fire) {
        // The flames fade in and out with the change that lit them.
        auto* fade = new TransitionItem(Transition::opacity(), this);
        m_fire = new AssetFireEffectView(m_appState, m_flameHeight, m_showBaseFlames,
                                         m_showTopFlames, fade);
        m_fire->setFrame(RoomFrame{m_frame.center(), m_frame.size()});
        m_fire->setOutline(m_outline);
        fade->appear();
    } else if (!burning && m_fire) {
        auto* fade = static_cast<TransitionItem*>(m_fire->parentItem());
        m_fire = nullptr;
        fade->disappear(); // deletes itself once faded
    }
    setGlow(burning);
}

void BurningFireModifier::setGlow(bool on)
{
    if (!on) {
        // The glow lives only as long as the piece that owns it: while it exists, so does
        // the piece.
        if (m_glow && m_content->graphicsEffect() == m_glow)
            m_content->setGraphicsEffect(nullptr); // deletes it
        m_glow = nullptr;
        return;
    }
    if (m_content && !m_glow && !m_content->graphicsEffect()) {
        m_glow = new CachedShadowEffect(QColor::fromRgbF(1, 0.35f, 0.05f, 0.65f), 8, QPointF(0, 0));
        m_content->setGraphicsEffect(m_glow); // the piece owns it from here
    }
}
