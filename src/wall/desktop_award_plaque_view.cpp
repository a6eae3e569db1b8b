#include "wall/desktop_award_plaque_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "platform/default_application.h"
#include "room/asset_loader.h"
#include "state/app_state.h"
#include "wall/plaque_logo.h"

#include <QPainter>

namespace {
constexpr qreal kGlowRadius = 8;

QRectF fitted(const QSizeF& image, const QRectF& into)
{
    const QSizeF s = image.scaled(into.size(), Qt::KeepAspectRatio);
    return QRectF(into.center() - QPointF(s.width() / 2, s.height() / 2), s);
}
} // namespace

const DesktopAwardPlaqueView::Plaque& DesktopAwardPlaqueView::quennet()
{
    static const Plaque plaque{
        QStringLiteral("Plakat Quennet"), QStringLiteral("Plakat Penghargaan Resmi Quennet"),
        QStringLiteral("plaque_quennet"), QStringLiteral("quennet logoo.svg"),
        ActiveDesktopQuickView::quennetPlaque()};
    return plaque;
}

const DesktopAwardPlaqueView::Plaque& DesktopAwardPlaqueView::tolvane()
{
    static const Plaque plaque{QStringLiteral("Plakat Tolvane Studio"),
                               QStringLiteral("Plakat Penghargaan Resmi Tolvane Studio"),
                               QStringLiteral("plaque_tolvane"), QStringLiteral("tolvane logo.svg"),
                               ActiveDesktopQuickView::tolvanePlaque()};
    return plaque;
}

const DesktopAwardPlaqueView::Plaque*
DesktopAwardPlaqueView::plaqueFor(const ActiveDesktopQuickView& card)
{
    if (card == quennet().quickViewType)
        return &quennet();
    if (card == tolvane().quickViewType)
        return &tolvane();
    return nullptr;
}

DesktopAwardPlaqueView::DesktopAwardPlaqueView(const Plaque& plaque, AppState& appState,
                                               AssetLoader& assets, QGraphicsItem* parent)
    : RoomItem(parent), m_plaque(plaque), m_appState(appState), m_assets(assets)
{
    setPaintMargins(QMarginsF(12, 12, 12, 12));
    gestures().onDoubleTap([this] { openLogoFile(); });
    gestures().onTap([this] { toggleQuickView(); });
    gestures().onHover([this](bool inside) { hoverChanged(inside); });
    gestures().setToolTip(helpText(m_plaque.title));
    connect(&m_appState, &AppState::hoveredPlaqueChanged, this, &DesktopAwardPlaqueView::refresh);
}

QString DesktopAwardPlaqueView::helpText(const QString& title)
{
    return title + QStringLiteral(": Klik 1x untuk opsi, klik 2x untuk membuka file logo");
}

bool DesktopAwardPlaqueView::isHovered() const
{
    return m_appState.hoveredPlaque() == m_plaque.quickViewType;
}

void DesktopAwardPlaqueView::refresh()
{
    if (isHovered() != m_paintedHover)
        update();
}

void DesktopAwardPlaqueView::hoverChanged(bool inside)
{
    if (inside) {
        m_appState.setHoveredPlaque(m_plaque.quickViewType);
    } else if (isHovered()) {
        // The other plaque may have taken the hover already: only our own case is cleared.
        m_appState.setHoveredPlaque(std::nullopt);
    }
}

void DesktopAwardPlaqueView::toggleQuickView()
{
    m_appState.toggleQuickView(m_plaque.quickViewType);
}

void DesktopAwardPlaqueView::openLogoFile()
{
    if (const std::optional<QString> logo = PlaqueLogo::find(m_plaque.svgFileName))
        DefaultApplication::open(*logo);
}

void DesktopAwardPlaqueView::onSizeChanged()
{
    const std::optional<QImage> picture = m_assets.image(m_plaque.imageName);
    if (!picture || picture->isNull())
        return;
    setHitShape(
        Painting::opaqueOutline(*picture, fitted(picture->deviceIndependentSize(), rect())));
}

void DesktopAwardPlaqueView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const bool hovered = isHovered();
    m_paintedHover = hovered;
    const std::optional<QImage> picture = m_assets.image(m_plaque.imageName);
    if (!picture || picture->isNull())
        return;
    QPainter& p = *painter;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target = fitted(picture->deviceIndependentSize(), rect());
    if (!hovered) {
        p.drawImage(target, *picture);
        return;
    }
    if (m_source.cacheKey() != picture->cacheKey() || m_glowSize != target.size()) {
        m_source = *picture;
        m_glowSize = target.size();
        const qreal ratio = Painting::cachePixelRatio(p);
        QImage scaled = picture
                            ->scaled((target.size() * ratio).toSize(), Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        scaled.setDevicePixelRatio(ratio);
        m_glow =
            SoftShadow::blurred(scaled, kGlowRadius, Colors::system(Colors::System::Yellow, 0.3));
        // Brighter by 0.08: white added where the picture is, as much as it is opaque.
        m_bright = scaled;
        QPainter bright(&m_bright);
        bright.setCompositionMode(QPainter::CompositionMode_Plus);
        QImage lift = scaled;
        QPainter tint(&lift);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(QRectF(QPointF(), target.size()), Colors::white(0.08));
        tint.end();
        bright.drawImage(QPointF(), lift);
    }
    const qreal spread = SoftShadow::spread(kGlowRadius);
    p.drawImage(target.topLeft() - QPointF(spread, spread), m_glow);
    p.drawImage(target, m_bright);
}
