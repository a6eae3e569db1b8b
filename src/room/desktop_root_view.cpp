#include "room/desktop_root_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/transition.h"
#include "room/asset_loader.h"
#include "room/effects/room_fire_atmosphere_view.h"
#include "room/floor/floor_rules.h"
#include "room/furniture_slot.h"
#include "room/modal_backdrop.h"
#include "room/theme_background_view.h"
#include "room/theme_picker_view.h"
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

// A room-sized layer that only draws: the night dimming.
class FillLayer : public RoomItem {
public:
    FillLayer(QColor color, QGraphicsItem* parent) : RoomItem(parent), m_color(color) {}
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->fillRect(rect(), m_color);
    }

private:
    QColor m_color;
};

// The frame a card lies in until the card's own view is supplied.
class EmptyCardView : public RoomItem {
public:
    explicit EmptyCardView(QGraphicsItem* parent = nullptr) : RoomItem(parent)
    {
        setSize(QSizeF(280, 220));
        setPaintMargins(QMarginsF(24, 24, 24, 32));
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->setRenderHint(QPainter::Antialiasing);
        const QPainterPath card = Painting::continuousRoundedRect(rect(), 18);
        m_shadow.paint(*painter, card, ShadowStyle{Colors::black(0.35), 18, QPointF(0, 10)});
        painter->fillPath(card, Colors::windowBackground());
        painter->strokePath(card, QPen(Colors::grey(0.3), 1));
    }

private:
    ShapeShadow m_shadow;
};

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

QString cardIdentity(const ActiveDesktopQuickView& v)
{
    QString id = QString::number(int(v.kind()));
    // The messaging card is one card for both of its cases.
    if (v.kind() == ActiveDesktopQuickView::Whatsapp)
        id = QString::number(int(ActiveDesktopQuickView::Mail));
    if (v.kind() == ActiveDesktopQuickView::Photo)
        id += QLatin1Char(':') + QString::number(v.slot());
    if (v.kind() == ActiveDesktopQuickView::CarpetItem)
        id += QLatin1Char(':') + v.url().toString();
    return id;
}
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
    connect(&m_appState, &AppState::isFireModeActiveChanged, this,
            &DesktopRootView::refreshOverlays);
    for (auto signal : {&AppState::lampOnChanged, &AppState::activeShelfPopoverURLChanged,
                        &AppState::activeShelfIndexChanged, &AppState::showBookshelfDrawerChanged,
                        &AppState::showSpotifyPopupChanged, &AppState::showThemePickerChanged,
                        &AppState::activeQuickViewChanged})
        connect(&m_appState, signal, this, &DesktopRootView::refreshOverlays);
    connect(&m_floorState, &FloorInteractionState::isFloorTargetedChanged, this,
            &DesktopRootView::refreshOverlays);
    connect(&m_floorState, &FloorInteractionState::draggingFloorFileNameChanged, this,
            &DesktopRootView::updateFloorZ);

    refreshOverlays();
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

qreal DesktopRootView::overlayZ(Overlay which)
{
    switch (which) {
    case Overlay::Dimming:
        return 22;
    case Overlay::FireAtmosphere:
        return 24;
    case Overlay::ShelfPopover:
    case Overlay::BookshelfDrawer:
    case Overlay::MiniPlayer:
        return 45;
    case Overlay::ThemePicker:
        return 40;
    case Overlay::QuickView:
        return 50;
    case Overlay::FloorDropHighlight:
        return 48;
    }
    return 0;
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

QGraphicsObject* DesktopRootView::overlay(Overlay which) const
{
    const LiveOverlay& live = m_overlays[size_t(which)];
    return live.item && !live.item->isDisappearing() ? live.item.data() : nullptr;
}

RoomItem* DesktopRootView::overlayPanel(Overlay which) const
{
    return overlay(which) ? m_overlays[size_t(which)].panel : nullptr;
}

void DesktopRootView::refreshOverlays()
{
    for (int i = 0; i < kOverlayCount; ++i)
        refreshOverlay(Overlay(i));
}

std::optional<QString> DesktopRootView::overlayIdentity(Overlay which) const
{
    // A layer with nothing to tell its openings apart is the same layer while it stays open.
    const auto gate = [](bool open) -> std::optional<QString> {
        return open ? std::optional(QStringLiteral("open")) : std::nullopt;
    };
    switch (which) {
    case Overlay::Dimming:
        return gate(!m_appState.lampOn() && !m_appState.isFireModeActive());
    case Overlay::FireAtmosphere:
        return gate(m_appState.isFireModeActive());
    case Overlay::ShelfPopover:
        if (const auto& url = m_appState.activeShelfPopoverURL())
            return url->toString() + QLatin1Char('|') +
                   QString::number(m_appState.activeShelfIndex() > 0 ? 1 : 0);
        return std::nullopt;
    case Overlay::BookshelfDrawer:
        return gate(m_appState.showBookshelfDrawer());
    case Overlay::MiniPlayer:
        return gate(m_appState.showSpotifyPopup());
    case Overlay::ThemePicker:
        return gate(m_appState.showThemePicker());
    case Overlay::QuickView:
        if (const auto& card = m_appState.activeQuickView())
            return cardIdentity(*card);
        return std::nullopt;
    case Overlay::FloorDropHighlight:
        return gate(m_floorState.isFloorTargeted());
    }
    return std::nullopt;
}

void DesktopRootView::refreshOverlay(Overlay which)
{
    LiveOverlay& live = m_overlays[size_t(which)];
    const std::optional<QString> identity = overlayIdentity(which);
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
    live = buildOverlay(which);
    live.identity = *identity;
    if (!live.item)
        return;
    live.item->setZValue(overlayZ(which));
    if (live.relayout)
        live.relayout();
    live.item->appear();
}

DesktopRootView::LiveOverlay
DesktopRootView::panelOverlay(RoomItem* panel, std::function<void()> close, const Transition& in,
                              const Transition& out, std::function<QPointF()> centre)
{
    LiveOverlay live;
    auto* layer = new PanelLayer(std::move(close), in, out, this);
    live.item = layer;
    live.panel = panel;
    if (panel)
        layer->setPanel(panel);
    live.relayout = [this, layer, panel, centre = std::move(centre)] {
        layer->setRoomSize(size());
        if (panel)
            layer->placePanel(centre());
    };
    if (panel) {
        connect(panel, &RoomItem::sizeChanged, layer, [relayout = live.relayout] { relayout(); });
    }
    return live;
}

DesktopRootView::LiveOverlay DesktopRootView::buildOverlay(Overlay which)
{
    // Closes one panel inside the close spring.
    const auto closing = [this](std::function<void()> assign) {
        return
            [assign = std::move(assign)] { withAnimation(AppState::quickViewCloseSpring, assign); };
    };
    const Transition fade = Transition::opacity();

    switch (which) {
    case Overlay::FireAtmosphere: {
        LiveOverlay live;
        auto* item = new TransitionItem(fade, this);
        auto* atmosphere = new RoomFireAtmosphereView(m_appState, item);
        live.item = item;
        live.relayout = [this, atmosphere] { atmosphere->setSize(size()); };
        return live;
    }
    case Overlay::Dimming:
    case Overlay::FloorDropHighlight: {
        LiveOverlay live;
        auto* item = new TransitionItem(fade, this);
        RoomItem* content = nullptr;
        if (which == Overlay::Dimming)
            content = new FillLayer(Colors::black(0.65), item);
        else if (m_pieces.floorDropHighlight)
            content = m_pieces.floorDropHighlight();
        if (content) {
            content->setParentItem(item);
            // Drawn over the room, never in the way of the pointer.
            stopTakingPointer(content);
        }
        live.item = item;
        live.panel = content;
        live.relayout = [this, content] {
            if (content) {
                content->setPos(0, 0);
                content->setSize(size());
            }
        };
        return live;
    }
    case Overlay::ShelfPopover: {
        const QUrl url = m_appState.activeShelfPopoverURL().value_or(QUrl());
        const int shelfIndex = m_appState.activeShelfIndex() > 0 ? 1 : 0;
        const auto close = closing([this] { m_appState.setActiveShelfPopoverURL(std::nullopt); });
        RoomItem* panel =
            m_pieces.shelfPopover ? m_pieces.shelfPopover(url, shelfIndex, close) : nullptr;
        return panelOverlay(
            panel, close,
            Transition::scaled(0.86, UnitPoint::leading())
                .combined(Transition::offsetBy(QPointF(-14, 0)))
                .combined(fade),
            Transition::scaled(0.92, UnitPoint::leading())
                .combined(Transition::offsetBy(QPointF(-6, 0)))
                .combined(fade),
            [this] { return geometry().shelfPopoverCentre(m_appState.activeShelfIndex()); });
    }
    case Overlay::BookshelfDrawer: {
        const auto close = closing([this] { m_appState.setShowBookshelfDrawer(false); });
        RoomItem* panel = m_pieces.bookshelfDrawer ? m_pieces.bookshelfDrawer(close) : nullptr;
        return panelOverlay(panel, close,
                            Transition::scaled(0.88, UnitPoint::leading())
                                .combined(Transition::offsetBy(QPointF(-16, 0)))
                                .combined(fade),
                            Transition::scaled(0.92, UnitPoint::leading())
                                .combined(Transition::offsetBy(QPointF(-8, 0)))
                                .combined(fade),
                            [this] { return geometry().drawerCentre(); });
    }
    case Overlay::MiniPlayer: {
        const auto close = closing([this] { m_appState.setShowSpotifyPopup(false); });
        RoomItem* panel = m_pieces.miniPlayer ? m_pieces.miniPlayer(close) : nullptr;
        return panelOverlay(panel, close,
                            Transition::scaled(0.86, UnitPoint::bottom())
                                .combined(Transition::offsetBy(QPointF(0, 12)))
                                .combined(fade),
                            Transition::scaled(0.92, UnitPoint::bottom())
                                .combined(Transition::offsetBy(QPointF(0, 6)))
                                .combined(fade),
                            [this] { return geometry().miniPlayerCentre(); });
    }
    case Overlay::ThemePicker: {
        ThemePickerView::Bindings bindings;
        bindings.currentTheme = [this] { return m_appState.currentTheme(); };
        bindings.setCurrentTheme = [this](RoomTheme theme) { m_appState.setCurrentTheme(theme); };
        bindings.setPresented = [this](bool shown) { m_appState.setShowThemePicker(shown); };
        auto* picker = new ThemePickerView(std::move(bindings), m_assets);
        auto* backdrop =
            new ModalBackdrop([this] { m_appState.setShowThemePicker(false); }, picker, this);
        connect(&m_appState, &AppState::currentThemeChanged, picker, &ThemePickerView::refresh);
        LiveOverlay live;
        live.item = backdrop;
        live.panel = picker;
        live.relayout = [this, backdrop] { backdrop->setRoomSize(size()); };
        return live;
    }
    case Overlay::QuickView: {
        const ActiveDesktopQuickView card =
            m_appState.activeQuickView().value_or(ActiveDesktopQuickView());
        const auto close = [this] { closeQuickViewAnimated(); };
        RoomItem* panel = m_pieces.quickView ? m_pieces.quickView(card, close) : nullptr;
        if (!panel)
            panel = new EmptyCardView;
        return panelOverlay(
            panel, close,
            Transition::scaled(0.86).combined(Transition::offsetBy(QPointF(0, 10))).combined(fade),
            Transition::scaled(0.9).combined(Transition::offsetBy(QPointF(0, 4))).combined(fade),
            [this, card] { return geometry().quickViewCentre(card); });
    }
    }
    return {};
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
    if (m_floorState.isMarqueeSelecting())
        m_floorState.setMarqueeSelecting(false);
    if (m_floorState.marqueeStart())
        m_floorState.setMarqueeStart(std::nullopt);
    if (m_floorState.marqueeCurrent())
        m_floorState.setMarqueeCurrent(std::nullopt);
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
    const RoomGeometry g = geometry();
    QSet<QString> hit;
    for (const QUrl& url : m_storage->carpetItems()) {
        const QString name = url.fileName();
        const StoredPosition p = m_storage->carpetItemPosition(name);
        if (FloorRules::marqueeHits(marquee, g.roomPoint(QPointF(p.x, p.y))))
            hit.insert(name);
    }
    // Unchanged selections are not written, so the floor does not redraw for nothing.
    if (hit != m_floorState.selectedFileNames())
        m_floorState.setSelectedFileNames(hit);
}

void DesktopRootView::setRoomDropTarget(RoomDropTarget* target)
{
    m_dropTarget = target;
    setAcceptDrops(target != nullptr);
}

// Copied or linked, never moved: a move tells the other program to delete its file. A drag
// offered only as a move is refused.
static bool proposeCopyOrLink(QGraphicsSceneDragDropEvent* event)
{
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    return true;
}

void DesktopRootView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!m_dropTarget || !event->mimeData() || !m_dropTarget->validateDrop(*event->mimeData()) ||
        !proposeCopyOrLink(event)) {
        event->ignore();
        return;
    }
    event->accept();
    m_dropTarget->dropEntered(*event->mimeData());
    m_dropTarget->dropUpdated(event->pos(), geometry(), *event->mimeData());
}

void DesktopRootView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!m_dropTarget || !event->mimeData() || !proposeCopyOrLink(event)) {
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
    if (!m_dropTarget || !event->mimeData() || !proposeCopyOrLink(event)) {
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
