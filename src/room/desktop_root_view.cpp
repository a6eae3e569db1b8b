#include "room/desktop_root_view.h"

#include "kit/drops.h"
#include "kit/transition.h"
#include "room/asset_loader.h"
#include "room/floor/floor_rules.h"
#include "room/furniture_slot.h"
#include "room/modal_backdrop.h"
#include "room/theme_background_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QGraphicsSceneDragDropEvent>
#include <QPainter>

namespace {
struct FurniturePlacement {
    qreal fireHeight;
    qreal z;
};

// Flame heights and stacking priorities, in the order the pieces are stacked.
constexpr std::array<FurniturePlacement, kFurnitureCount> kFurniture = {{
    {40, 0},  // bookshelf
    {22, 26}, // president's portrait
    {24, 26}, // wall clock
    {22, 26}, // vice-president's portrait
    {36, 0},  // corkboard
    {34, 0},  // potted plant
    {42, 0},  // desk
    {30, 0},  // monitor
    {28, 0},  // desk lamp
    {24, 0},  // left plaque
    {24, 0},  // right plaque
    {24, 0},  // radio
    {38, 0},  // photo gallery
    {38, 15}, // electric guitar
    {38, 15}, // acoustic guitar
    {32, 18}, // trash can
    {22, 10}, // sandals
}};

constexpr qreal kFloorZ = 20;
constexpr qreal kFloorDraggingZ = 30;

// A panel over the room on its tap layer. The tap layer always covers the whole room (a
// click anywhere outside the panel closes it, also while the panel is still coming in);
// only the panel moves with the transitions.
class PanelLayer : public TransitionItem {
public:
    PanelLayer(std::function<void()> close, const Transition& in, const Transition& out,
               QGraphicsItem* parent)
        : TransitionItem(Transition{}, parent)
    {
        m_tap = new TapLayer(std::move(close), this);
        m_motion = new TransitionItem(in, out, m_tap);
    }

    void setPanel(RoomItem* panel)
    {
        m_panel = panel;
        panel->setParentItem(m_motion);
    }
    void setRoomSize(const QSizeF& size) { m_tap->setSize(size); }
    void placePanel(QPointF centre)
    {
        m_panel->setCentre(centre);
        m_motion->setAnchorRect(m_panel->mapRectToParent(m_panel->rect()));
    }

    void appear() override
    {
        TransitionItem::appear();
        m_motion->appear();
    }
    void disappear() override
    {
        m_motion->disappear();
        TransitionItem::disappear();
    }

private:
    TapLayer* m_tap;
    TransitionItem* m_motion;
    RoomItem* m_panel = nullptr;
};

} // namespace

DesktopRootView::DesktopRootView(AppState& appState, FloorInteractionState& floorState,
                                 StorageManager* storage, AssetLoader& assets, RoomPieces pieces,
                                 QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_floorState(floorState), m_storage(storage),
      m_assets(assets), m_pieces(std::move(pieces))
{
    // The background first: it is the bottom of the stack and takes the room's clicks.
    m_background = new ThemeBackgroundView(m_appState.currentTheme(), m_assets, this);
    Gestures& room = m_background->gestures();
    room.onTap([this] { backgroundReleased(0); });
    room.onDrag(
        3, [this](const DragValue& drag) { marqueeChanged(drag); },
        [this](const DragValue& drag) { backgroundReleased(drag.distance()); });

    for (int i = 0; i < kFurnitureCount; ++i) {
        const auto piece = Furniture(i);
        auto* s = new FurnitureSlot(piece, fireHeight(piece), m_appState, this);
        s->setZValue(furnitureZ(piece));
        if (piece == Furniture::Desk)
            s->setTakesPointer(false);
        if (piece == Furniture::Monitor)
            s->setLayoutSize(RoomGeometry::kMonitorLayoutSize);
        if (const auto& make = m_pieces.furniture[size_t(i)])
            s->setView(make());
        m_slots[size_t(i)] = s;
    }

    m_floorLayer = new RoomItem(this);
    m_floorLayer->setFlag(ItemHasNoContents);
    if (m_pieces.floor) {
        if (RoomItem* floor = m_pieces.floor()) {
            floor->setParentItem(m_floorLayer);
            connect(m_floorLayer, &RoomItem::sizeChanged, floor,
                    [this, floor] { floor->setSize(m_floorLayer->size()); });
        }
    }
    updateFloorZ();

    connect(&m_appState, &AppState::currentThemeChanged, this,
            [this] { m_background->setTheme(m_appState.currentTheme()); });
    m_overlays.resize(m_pieces.panels.size());
    for (size_t i = 0; i < m_pieces.panels.size(); ++i) {
        const RoomPanel& panel = m_pieces.panels[i];
        for (auto signal : panel.appFields)
            connect(&m_appState, signal, this, [this, i] { refreshOverlay(i); });
        for (auto signal : panel.floorFields)
            connect(&m_floorState, signal, this, [this, i] { refreshOverlay(i); });
    }
    connect(&m_floorState, &FloorInteractionState::draggingFloorFileNameChanged, this,
            &DesktopRootView::updateFloorZ);
    // Files that come, go or move while a marquee is drawn: its next step takes them anew.
    if (m_storage) {
        for (auto signal :
             {&StorageManager::carpetItemsChanged, &StorageManager::floorItemPositionsChanged})
            connect(m_storage, signal, this, [this] { m_marqueeTaken = false; });
    }
    connect(this, &RoomItem::sizeChanged, this, [this] { m_marqueeTaken = false; });

    for (size_t i = 0; i < m_overlays.size(); ++i)
        refreshOverlay(i);
}

DesktopRootView::~DesktopRootView() = default;

qreal DesktopRootView::furnitureZ(Furniture piece)
{
    return kFurniture[size_t(piece)].z;
}

qreal DesktopRootView::fireHeight(Furniture piece)
{
    return kFurniture[size_t(piece)].fireHeight;
}

void DesktopRootView::onSizeChanged()
{
    layoutFurniture();
    for (LiveOverlay& live : m_overlays) {
        if (live.item && live.relayout)
            live.relayout();
    }
}

void DesktopRootView::layoutFurniture()
{
    const RoomGeometry g = geometry();
    m_background->setSize(size());
    for (int i = 0; i < kFurnitureCount; ++i)
        m_slots[size_t(i)]->setFrame(g.frame(Furniture(i)));
    m_floorLayer->setSize(size());
    m_floorLayer->setPos(0, 0);
}

void DesktopRootView::updateFloorZ()
{
    // A dragged floor file travels above every piece of furniture and the dimming.
    m_floorLayer->setZValue(m_floorState.draggingFloorFileName() ? kFloorDraggingZ : kFloorZ);
}

RoomPanelContext DesktopRootView::context() const
{
    return RoomPanelContext{m_appState, m_floorState, m_assets, m_pieces, geometry()};
}

const DesktopRootView::LiveOverlay* DesktopRootView::live(const QString& name) const
{
    for (size_t i = 0; i < m_overlays.size(); ++i) {
        const LiveOverlay& live = m_overlays[i];
        if (m_pieces.panels[i].name == name && live.item && !live.item->isDisappearing())
            return &live;
    }
    return nullptr;
}

QGraphicsObject* DesktopRootView::overlay(const QString& name) const
{
    const LiveOverlay* l = live(name);
    return l ? l->item.data() : nullptr;
}

RoomItem* DesktopRootView::overlayPanel(const QString& name) const
{
    const LiveOverlay* l = live(name);
    return l ? l->panel : nullptr;
}

void DesktopRootView::refreshOverlay(size_t index)
{
    const RoomPanel& panel = m_pieces.panels[index];
    LiveOverlay& live = m_overlays[index];
    const std::optional<QString> identity =
        panel.shown ? panel.shown(context()) : std::optional<QString>();
    const bool present = live.item && !live.item->isDisappearing();
    if (present && identity && *identity == live.identity) {
        if (live.relayout)
            live.relayout(); // e.g. the popover's shelf index moved it
        return;
    }
    if (present)
        live.item->disappear();
    live = LiveOverlay{};
    if (!identity)
        return;
    live = buildOverlay(panel);
    live.identity = *identity;
    if (!live.item)
        return;
    live.item->setZValue(panel.z);
    if (live.relayout)
        live.relayout();
    live.item->appear();
}

DesktopRootView::LiveOverlay DesktopRootView::buildOverlay(const RoomPanel& panel)
{
    LiveOverlay live;
    const std::function<void(const RoomPanelContext&)> dismiss = panel.dismiss;
    const auto dismissNow = [this, dismiss] {
        if (dismiss)
            dismiss(context());
    };
    // The panel's own close action and its tap layer close it inside the close spring.
    const auto close = [dismissNow] { withAnimation(AppState::quickViewCloseSpring, dismissNow); };
    RoomItem* view = panel.make ? panel.make(context(), close) : nullptr;
    live.panel = view;

    switch (panel.placement) {
    case PanelPlacement::Cover: {
        auto* item = new TransitionItem(panel.in, panel.out, this);
        if (view) {
            view->setParentItem(item);
            // Drawn over the room, never in the way of the pointer.
            stopTakingPointer(view);
        }
        live.item = item;
        live.relayout = [this, view] {
            if (view) {
                view->setPos(0, 0);
                view->setSize(size());
            }
        };
        break;
    }
    case PanelPlacement::Sheet: {
        // The backdrop runs the dismissal inside the close spring itself.
        auto* backdrop = new ModalBackdrop(dismissNow, view, this);
        live.item = backdrop;
        live.relayout = [this, backdrop] { backdrop->setRoomSize(size()); };
        break;
    }
    case PanelPlacement::Popup: {
        auto* layer = new PanelLayer(close, panel.in, panel.out, this);
        live.item = layer;
        if (view)
            layer->setPanel(view);
        const auto centre = panel.centre;
        live.relayout = [this, layer, view, centre] {
            layer->setRoomSize(size());
            if (view)
                layer->placePanel(centre ? centre(context()) : rect().center());
        };
        if (view)
            connect(view, &RoomItem::sizeChanged, layer,
                    [relayout = live.relayout] { relayout(); });
        break;
    }
    }
    return live;
}

void DesktopRootView::closeQuickViewAnimated()
{
    withAnimation(AppState::quickViewCloseSpring,
                  [this] { m_appState.setActiveQuickView(std::nullopt); });
}

void DesktopRootView::toggleLampAnimated(AppState& appState)
{
    withAnimation(Animation::easeInOut(0.35), [&] { appState.setLampOn(!appState.lampOn()); });
}

void DesktopRootView::backgroundReleased(qreal distance)
{
    // One rule for a click and a short drag: the selection goes and a lifted carpet lies
    // down again.
    if (distance < FloorRules::backgroundClickDistance) {
        if (!m_floorState.selectedFileNames().isEmpty())
            m_floorState.clearSelection();
        if (m_floorState.isCarpetLifted()) {
            withAnimation(Animation::spring(0.35, 0.75),
                          [this] { m_floorState.setCarpetLifted(false); });
        }
    }
    m_floorState.setMarqueeSelecting(false);
    m_floorState.setMarqueeStart(std::nullopt);
    m_floorState.setMarqueeCurrent(std::nullopt);
    m_marqueeTaken = false;
    m_marqueeFiles.clear();
    m_marqueeFiles.shrink_to_fit();
}

void DesktopRootView::takeMarqueeFiles()
{
    const RoomGeometry g = geometry();
    m_marqueeFiles.clear();
    for (const QUrl& url : m_storage->carpetItems()) {
        QString name = url.fileName();
        const StoredPosition p = m_storage->carpetItemPosition(name);
        m_marqueeFiles.push_back({std::move(name), g.roomPoint(QPointF(p.x, p.y))});
    }
    m_marqueeTaken = true;
}

void DesktopRootView::marqueeChanged(const DragValue& drag)
{
    // Scene points are room points: the room fills the window from its top-left corner.
    const QPointF start = mapFromScene(drag.startLocation);
    const QPointF current = mapFromScene(drag.location);
    m_floorState.setMarqueeSelecting(true);
    m_floorState.setMarqueeStart(start);
    m_floorState.setMarqueeCurrent(current);
    if (!m_storage)
        return;
    const QRectF marquee = FloorRules::marqueeRect(start, current);
    if (!m_marqueeTaken) {
        // The marquee's first step: what it touches replaces the selection.
        takeMarqueeFiles();
        QSet<QString> hit;
        for (MarqueeFile& file : m_marqueeFiles) {
            file.hit = FloorRules::marqueeHits(marquee, file.point);
            if (file.hit)
                hit.insert(file.name);
        }
        m_floorState.setSelectedFileNames(hit);
        return;
    }
    QStringList added;
    QStringList removed;
    for (MarqueeFile& file : m_marqueeFiles) {
        const bool hit = FloorRules::marqueeHits(marquee, file.point);
        if (hit != file.hit)
            (hit ? added : removed) << file.name;
        file.hit = hit;
    }
    m_floorState.changeSelection(added, removed);
}

void DesktopRootView::setRoomDropTarget(RoomDropTarget* target)
{
    m_dropTarget = target;
    setAcceptDrops(target != nullptr);
}

void DesktopRootView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!m_dropTarget || !event->mimeData() || !m_dropTarget->validateDrop(*event->mimeData()) ||
        !Drops::proposeCopyOrLink(event)) {
        event->ignore();
        return;
    }
    event->accept();
    m_dropTarget->dropEntered(*event->mimeData());
    m_dropTarget->dropUpdated(event->pos(), geometry(), *event->mimeData());
}

void DesktopRootView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!m_dropTarget || !event->mimeData() || !Drops::proposeCopyOrLink(event)) {
        event->ignore();
        return;
    }
    event->accept();
    m_dropTarget->dropUpdated(event->pos(), geometry(), *event->mimeData());
}

void DesktopRootView::dragLeaveEvent(QGraphicsSceneDragDropEvent*)
{
    if (m_dropTarget)
        m_dropTarget->dropExited();
}

void DesktopRootView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!m_dropTarget || !event->mimeData() || !Drops::proposeCopyOrLink(event)) {
        if (m_dropTarget)
            m_dropTarget->dropExited();
        event->ignore();
        return;
    }
    if (m_dropTarget->performDrop(event->pos(), geometry(), *event->mimeData()))
        event->accept();
    else
        event->ignore();
}
