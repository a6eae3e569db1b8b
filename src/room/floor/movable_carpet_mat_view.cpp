#include "room/floor/movable_carpet_mat_view.h"

#include "kit/cached_shadow_effect.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/perspective.h"
#include "platform/file_manager_reveal.h"
#include "room/effects/arabic_rug_view.h"
#include "room/effects/carpet_mat_body_view.h"
#include "room/floor/floor_rules.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QMenu>
#include <QPainter>
#include <QPointer>

namespace {
// Turns the rug in depth without turning the frame that takes the pointer.
class BodyHolder : public QGraphicsObject {
public:
    explicit BodyHolder(QGraphicsItem* parent) : QGraphicsObject(parent)
    {
        setFlag(ItemHasNoContents);
        setAcceptedMouseButtons(Qt::NoButton);
    }
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}
};
} // namespace

MovableCarpetMatView::MovableCarpetMatView(StorageManager& storage,
                                           FloorInteractionState& floorState, AppState& appState,
                                           QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_floorState(floorState), m_appState(appState)
{
    setSize(FloorRules::carpetFrameSize);
    setPaintMargins(QMarginsF(60, 60, 60, 60));
    gestures().onDrag(
        2, [this](const DragValue& v) { handleDragChanged(v); },
        [this](const DragValue& v) { handleDragEnded(v); });
    gestures().onTap([this] { handleClick(); });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });
    gestures().setToolTip(helpText());

    // The drawing turns inside the frame; the frame alone takes the pointer.
    m_bodyHolder = new BodyHolder(this);
    m_body = new CarpetMatBodyView(appState, m_floorState, m_bodyHolder);
    m_body->setPos(rect().center());
    m_body->setLifted(m_floorState.isCarpetLifted());
    m_picture = new CachedPictureEffect;
    m_bodyHolder->setGraphicsEffect(m_picture); // the holder owns it from here

    m_lift.setOnFrame([this] { updateBody(); });
    connect(&m_floorState, &FloorInteractionState::isCarpetLiftedChanged, this,
            &MovableCarpetMatView::followLift);
    connect(&m_floorState, &FloorInteractionState::isCarpetDraggingChanged, this, [this] {
        setHitShape(drawnRug()); // the rug shrinks a little while dragged
        keepPicture();
        update();
    });
    connect(&m_appState, &AppState::isFireModeActiveChanged, this,
            &MovableCarpetMatView::keepPicture);
    m_lift.jump(m_floorState.isCarpetLifted() ? 1.0 : 0.0);
    updateBody();
}

QString MovableCarpetMatView::helpText()
{
    return QStringLiteral("Karpet Arabik: Geser ke mana saja di lantai untuk menutupi file. "
                          "Klik 1x untuk membuka / mengintip.");
}

void MovableCarpetMatView::setCoveredCount(int count)
{
    if (count == m_coveredCount)
        return;
    m_coveredCount = count;
    m_body->setItemCount(count);
}

void MovableCarpetMatView::followLift()
{
    m_lift.set(m_floorState.isCarpetLifted() ? 1.0 : 0.0);
    m_body->setLifted(m_floorState.isCarpetLifted());
}

QTransform MovableCarpetMatView::bodyTransform() const
{
    const qreal l = m_lift.value();
    const QRectF frame = rect();
    const QPointF top(frame.center().x(), frame.top());
    // Lifted, the rug leans up from its far edge, shortens and rises a little; it always
    // lies tilted into the floor.
    const QTransform lift =
        tiltedAboutX(-26 * l, top, perspectiveDistance(frame.width(), frame.height(), 1));
    const QTransform shorten = QTransform::fromTranslate(-top.x(), -top.y()) *
                               QTransform::fromScale(1, 1 - 0.26 * l) *
                               QTransform::fromTranslate(top.x(), top.y());
    const QTransform rise = QTransform::fromTranslate(0, -16 * l);
    const QTransform floor =
        tiltedAboutX(50, frame.center(), perspectiveDistance(frame.width(), frame.height(), 0.55));
    return lift * shorten * rise * floor;
}

void MovableCarpetMatView::updateBody()
{
    m_bodyHolder->setTransform(bodyTransform());
    // The pointer finds the carpet where the rug is drawn, not over the frame's empty corners
    // (the trash can stands in one of them).
    setHitShape(drawnRug());
    keepPicture();
    update();
}

QPainterPath MovableCarpetMatView::drawnRug() const
{
    QPainterPath rug;
    rug.addRect(m_body->mapRectToParent(m_body->rug()->frame()));
    return bodyTransform().map(rug);
}

void MovableCarpetMatView::keepPicture()
{
    // The rug drawn in depth (its weave, folds, sheen and fringes) is the costliest drawing
    // on the floor: at rest a repaint over it copies one picture. While it burns, is dragged
    // or lifts, it changes on every frame and is drawn directly.
    const bool still =
        !m_appState.isFireModeActive() && !m_floorState.isCarpetDragging() && !m_lift.isAnimating();
    if (m_picture->isEnabled() != still)
        m_picture->setEnabled(still);
}

void MovableCarpetMatView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // Dragging, lifted or lying: each casts its own shadow.
    const bool dragging = m_floorState.isCarpetDragging();
    const bool lifted = m_floorState.isCarpetLifted();
    const int look = dragging ? 2 : lifted ? 1 : 0;
    static constexpr qreal opacity[] = {0.35, 0.45, 0.55};
    static constexpr qreal radius[] = {7, 12, 18};
    static constexpr qreal drop[] = {5, 10, 14};
    QPainterPath outline;
    outline.addRect(m_body->mapRectToParent(m_body->rug()->boundingRect()));
    m_shadow.paint(*painter, bodyTransform().map(outline),
                   ShadowStyle{Colors::black(opacity[look]), radius[look], QPointF(0, drop[look])});
}

QPointF MovableCarpetMatView::base() const
{
    const StoredPosition p = m_storage.carpetPositionNorm();
    return QPointF(m_screenSize.width() * p.x, m_screenSize.height() * p.y);
}

void MovableCarpetMatView::handleDragChanged(const DragValue& value)
{
    m_floorState.setCarpetDragging(true);
    const QPointF from = base();
    const QPointF centre = FloorRules::clampCarpetCentre(from + value.translation(), m_screenSize);
    const QPointF offset = centre - from;
    m_floorState.setCarpetDragOffset(QSizeF(offset.x(), offset.y()));
}

void MovableCarpetMatView::handleDragEnded(const DragValue& value)
{
    m_floorState.setCarpetDragging(false);
    if (value.distance() >= FloorRules::carpetClickDistance) {
        const QSizeF offset = m_floorState.carpetDragOffset();
        const QPointF centre = base() + QPointF(offset.width(), offset.height());
        // A room without size has no place to store.
        if (m_screenSize.width() > 0 && m_screenSize.height() > 0) {
            m_storage.setCarpetPosition(centre.x() / m_screenSize.width(),
                                        centre.y() / m_screenSize.height());
        }
    } else {
        handleClick();
    }
    m_floorState.setCarpetDragOffset(QSizeF(0, 0));
}

void MovableCarpetMatView::handleClick()
{
    if (m_floorState.selectedFileNames().isEmpty())
        withCarpetAnimation(0.36, 0.72, [this] { toggleCarpetLifted(); });
    else
        m_floorState.clearSelection();
}

void MovableCarpetMatView::withCarpetAnimation(qreal response, qreal damping,
                                               const std::function<void()>& action)
{
    withAnimation(Animation::spring(response, damping, 0), action);
}

void MovableCarpetMatView::toggleCarpetLifted()
{
    m_floorState.setCarpetLifted(!m_floorState.isCarpetLifted());
}

void MovableCarpetMatView::centerCarpet()
{
    m_storage.setCarpetPosition(StorageManager::defaultCarpetPositionNorm.x,
                                StorageManager::defaultCarpetPositionNorm.y);
}

void MovableCarpetMatView::spreadFilesOnFloor()
{
    m_storage.resetFloorItemPositions();
}

void MovableCarpetMatView::revealCarpetFolder()
{
    FileManagerReveal::shared().showItems(
        {FileManagerReveal::resolvedPath(m_storage.carpetDirectory().toLocalFile())});
}

void MovableCarpetMatView::populateContextMenu(QMenu& menu)
{
    QPointer<MovableCarpetMatView> self(this);
    const auto add = [&menu, self](const QString& title, qreal response, qreal damping,
                                   std::function<void(MovableCarpetMatView&)> fn) {
        Gestures::addMenuAction(menu, title, [self, response, damping, fn] {
            if (!self)
                return;
            if (response > 0)
                withCarpetAnimation(response, damping, [&] { fn(*self); });
            else
                fn(*self);
        });
    };
    add(m_floorState.isCarpetLifted() ? QStringLiteral("Tutup Karpet (Sembunyikan File)")
                                      : QStringLiteral("Buka / Intip Karpet (Perlihatkan File)"),
        0.36, 0.72, [](auto& v) { v.toggleCarpetLifted(); });
    add(QStringLiteral("Pilih File untuk Disembunyikan..."), 0, 0,
        [](auto& v) { v.m_storage.chooseItemsToHideUnderCarpet(); });
    add(QStringLiteral("Kembalikan Karpet ke Posisi Tengah"), 0.4, 0.75,
        [](auto& v) { v.centerCarpet(); });
    add(QStringLiteral("Rapikan File di Bawah Karpet"), 0.35, 0.75,
        [](auto& v) { v.m_storage.arrangeCarpetItemsOnCarpet(); });
    add(QStringLiteral("Sebarkan Semua File ke Lantai Rumput"), 0.35, 0.75,
        [](auto& v) { v.spreadFilesOnFloor(); });
    if (!m_storage.carpetItems().isEmpty()) {
        menu.addSeparator();
        add(QStringLiteral("Kembalikan Semua File ke Desktop"), 0.5, 1.0,
            [](auto& v) { v.m_storage.restoreAllCarpetItemsToDesktop(); });
    }
    menu.addSeparator();
    add(QStringLiteral("Buka Folder Karpet di Finder"), 0, 0,
        [](auto& v) { v.revealCarpetFolder(); });
}
