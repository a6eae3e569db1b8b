#include "objects/trash_can_view.h"

#include "kit/drops.h"
#include "kit/formats.h"
#include "kit/perspective.h"
#include "kit/soft_shadow.h"
#include "objects/trash_can_drawing.h"
#include "platform/file_operations.h"
#include "platform/user_trash.h"
#include "state/app_state.h"
#include "storage/dropped_url_reader.h"
#include "storage/storage_manager.h"

#include <QDir>
#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPointer>

namespace {
namespace Drawing = TrashCanDrawing;

const Animation kLidTargetSpring = Animation::spring(0.32, 0.74);
const Animation kLidHoverSpring = Animation::spring(0.25, 0.8);
const Animation kTargetSpring = Animation::spring(0.25, 0.75);

// Layers of the can's cache.
enum Layer {
    ShadowIdle,
    ShadowHovered,
    ShadowTargeted,
    Under,
    Plate,
    BodyEmpty,
    BodyFull,
    BodyUnreadable,
    Paper,
    Rim
};
enum LidLayer { Lid, LidShadowRest, LidShadowTargeted };

bool isTrashFolderName(const QString& name)
{
    return name == QLatin1String(".Trash") || name.startsWith(QLatin1String(".Trash-"));
}

qreal lerp(qreal a, qreal b, qreal t)
{
    return a + (b - a) * t;
}
} // namespace

TrashCanView::TrashCanView(StorageManager& storage, AppState& appState, UserTrash& trash,
                           QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_appState(appState), m_trash(trash),
      m_lidTargeted(appState.isTrashTargeted() ? 1.0 : 0.0, [this] { update(); }),
      m_targeted(appState.isTrashTargeted() ? 1.0 : 0.0, [this] { update(); }),
      m_lidHovered(appState.isHoveringTrash() ? 1.0 : 0.0, [this] { update(); })
{
    setSize(Drawing::kSize);
    const QRectF area = Drawing::paintedArea();
    setPaintMargins(QMarginsF(-area.left(), -area.top(), area.right() - Drawing::kSize.width(),
                              area.bottom() - Drawing::kSize.height()));
    setAcceptDrops(true);

    Gestures& g = gestures();
    g.onHover([this](bool inside) { m_appState.setHoveringTrash(inside); });
    // The double click first: it opens the Trash and toggles no card.
    g.onDoubleTap([this] { m_trash.open(); });
    g.onTap([this] { m_appState.toggleQuickView(ActiveDesktopQuickView::trash()); });
    showHelp();

    connect(&appState, &AppState::isTrashTargetedChanged, this, &TrashCanView::follow);
    connect(&appState, &AppState::isHoveringTrashChanged, this, &TrashCanView::follow);
    connect(&trash, &UserTrash::itemCountChanged, this, [this] {
        showHelp();
        update();
    });
    // The room's own moves show at once; changes from elsewhere come through the watcher.
    connect(&storage, &StorageManager::carpetItemsChanged, &trash, &UserTrash::refresh);
    connect(&storage, &StorageManager::bookshelfItemsChanged, &trash, &UserTrash::refresh);
}

Drawing::Light TrashCanView::statusLight() const
{
    return Drawing::light(m_trash.itemCount(), m_trash.isReadable());
}

QString TrashCanView::helpText() const
{
    QString text = QStringLiteral(
        "Tempat Sampah Modern: Klik 1x untuk opsi & kosongkan sampah, klik 2x untuk buka di "
        "Finder. Tarik file ke sini untuk membuangnya.");
    // A Trash that cannot be listed is not shown as empty: the can says why its light is out.
    if (!m_trash.isReadable())
        text += QLatin1Char('\n') + Formats::unreadableContents();
    return text;
}

void TrashCanView::showHelp()
{
    gestures().setToolTip(helpText());
}

void TrashCanView::follow()
{
    const double targeted = m_appState.isTrashTargeted() ? 1.0 : 0.0;
    const double hovered = m_appState.isHoveringTrash() ? 1.0 : 0.0;
    if (m_targeted.target() != targeted) {
        m_targeted.animateTo(targeted, kTargetSpring);
        m_lidTargeted.animateTo(targeted, kLidTargetSpring);
    }
    if (m_lidHovered.target() != hovered)
        m_lidHovered.animateTo(hovered, kLidHoverSpring);
    update(); // the hover shadow and the pedal follow the pointer without a spring
}

QList<QUrl> TrashCanView::trashableItems(const QMimeData& data) const
{
    const QString home = QDir::cleanPath(QDir::homePath());
    QStringList kept{QStringLiteral("/"), home};
    for (const QUrl& folder : {m_storage.baseDirectory(), m_storage.photosDirectory(),
                               m_storage.bookshelfDirectory(), m_storage.carpetDirectory()})
        kept << QDir::cleanPath(folder.toLocalFile());
    const QString homeTrash = m_trash.path();

    QList<QUrl> items;
    for (const QUrl& url : DroppedURLReader::read(data)) {
        const QString path = QDir::cleanPath(url.toLocalFile());
        if (!FileOperations::entryExists(path))
            continue;
        // The folders themselves, also under another spelling; a link to one is only a link.
        const bool isKept = std::any_of(kept.begin(), kept.end(), [&](const QString& folder) {
            return path == folder ||
                   (FileOperations::isDirectory(path) && FileOperations::isSameFile(path, folder));
        });
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const bool inTrash = FileOperations::isWithin(path, homeTrash) ||
                             std::any_of(parts.begin(), parts.end(), isTrashFolderName);
        if (!isKept && !inTrash)
            items.append(QUrl::fromLocalFile(path));
    }
    return items;
}

void TrashCanView::setTargeted(bool targeted)
{
    m_appState.setTrashTargeted(targeted);
}

bool TrashCanView::takes(QGraphicsSceneDragDropEvent* event) const
{
    return m_dragUsable && Drops::proposeCopyOrLink(event);
}

void TrashCanView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    m_dragUsable = data && !trashableItems(*data).isEmpty();
    // The can holds every drag over it, so that what it refuses is refused here and not
    // taken by the room below it.
    event->accept();
    setTargeted(takes(event));
}

void TrashCanView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    const bool usable = takes(event);
    event->setAccepted(usable);
    if (!usable)
        event->setDropAction(Qt::IgnoreAction);
    setTargeted(usable);
}

void TrashCanView::dragLeaveEvent(QGraphicsSceneDragDropEvent*)
{
    m_dragUsable = false;
    setTargeted(false);
}

void TrashCanView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    m_dragUsable = false;
    setTargeted(false);
    const QList<QUrl> items =
        event->mimeData() ? trashableItems(*event->mimeData()) : QList<QUrl>();
    if (items.isEmpty() || !Drops::proposeCopyOrLink(event)) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->accept();
    // Each item on its own, after the drop has returned to the program it came from: one
    // that cannot move does not stop the others.
    QPointer<StorageManager> storage(&m_storage);
    for (const QUrl& item : items) {
        QMetaObject::invokeMethod(
            &m_storage,
            [storage, item] {
                if (storage)
                    storage->moveToTrash(item);
            },
            Qt::QueuedConnection);
    }
}

void TrashCanView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    const QRectF area = Drawing::paintedArea();
    const bool hovering = m_appState.isHoveringTrash();
    const int count = m_trash.itemCount();
    const Drawing::Look rest = Drawing::look(false, hovering, count);
    const Drawing::Look targeted = Drawing::look(true, hovering, count);
    const qreal t = m_targeted.value();
    const qreal lidT = m_lidTargeted.value();
    const qreal lidH = m_lidHovered.value();
    auto layer = [&](int state, const std::function<void(QPainter&)>& draw) {
        m_layers.paint(p, area, state, draw);
    };

    p.save();
    const QPointF centre(Drawing::kCentreX, Drawing::kSize.height() / 2);
    const qreal scale = lerp(rest.scale, targeted.scale, t);
    p.translate(centre);
    p.scale(scale, scale);
    p.translate(-centre);

    // The can's shadow: the pointer changes it at once, a drag with the spring.
    const QPainterPath silhouette = Drawing::silhouette();
    auto shadow = [&](int state, const ShadowStyle& style, qreal opacity) {
        if (opacity <= 0)
            return;
        p.setOpacity(opacity);
        layer(state, [&](QPainter& q) { ShapeShadow().paint(q, silhouette, style); });
        p.setOpacity(1);
    };
    shadow(hovering ? ShadowHovered : ShadowIdle, rest.canShadow, 1 - t);
    shadow(ShadowTargeted, targeted.canShadow, t);

    layer(Under, [](QPainter& q) {
        Drawing::paintUnder(q);
        Drawing::paintPedalHinge(q);
    });
    p.save();
    p.translate(0, lerp(rest.pedalDrop, targeted.pedalDrop, t));
    layer(Plate, Drawing::paintPedalPlate);
    p.restore();
    const bool full = count > 0;
    const Drawing::Light light = statusLight();
    layer(light == Drawing::Light::Full    ? BodyFull
          : light == Drawing::Light::Empty ? BodyEmpty
                                           : BodyUnreadable,
          [light](QPainter& q) { Drawing::paintBody(q, light); });
    const qreal paper = full ? 1 : t;
    if (paper > 0) {
        p.setOpacity(paper);
        layer(Paper, Drawing::paintPaper);
        p.setOpacity(1);
    }
    layer(Rim, Drawing::paintRim);

    // The lid: tilted towards the viewer about its top edge and lifted, hovering on one
    // spring and a drag on another.
    const Drawing::Look idle = Drawing::look(false, false, count);
    const Drawing::Look hovered = Drawing::look(false, true, count);
    const qreal angle = lerp(lerp(idle.lidAngle, hovered.lidAngle, lidH), targeted.lidAngle, lidT);
    const qreal lidY =
        lerp(lerp(idle.lidCentreY, hovered.lidCentreY, lidH), targeted.lidCentreY, lidT);
    const QRectF lid = Drawing::lidRect();
    const qreal reach = SoftShadow::spread(targeted.lidShadow.radius) + 4;
    const QRectF lidArea = lid.adjusted(-reach, -reach, reach, reach);
    const qreal lidRatio = (p.device() ? p.device()->devicePixelRatioF() : 1) * 2;
    p.save();
    p.translate(Drawing::kCentreX, lidY);
    p.setTransform(tiltedAboutX(angle, QPointF(0, lid.top()),
                                perspectiveDistance(lid.width(), lid.height(), 1)) *
                       p.transform(),
                   false);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const auto& [state, style, weight] :
         {std::tuple{int(LidShadowRest), idle.lidShadow, 1 - lidT},
          std::tuple{int(LidShadowTargeted), targeted.lidShadow, lidT}}) {
        if (weight <= 0)
            continue;
        p.setOpacity(weight);
        m_lid.paint(p, lidArea, state, lidRatio, [&](QPainter& q) {
            const QPainterPath outline = Painting::ellipse(lid);
            ShapeShadow().paint(q, outline, style);
        });
    }
    p.setOpacity(1);
    m_lid.paint(p, lidArea, Lid, lidRatio, Drawing::paintLid);
    p.restore();

    // The badge grows in with the drag's spring, above the frame.
    if (t > 0.001) {
        const QRectF badge = Drawing::badgeRect();
        const qreal badgeReach = SoftShadow::spread(6) + 3;
        p.save();
        p.translate(Drawing::kCentreX, Drawing::kTopY - 26);
        p.scale(t, t);
        p.setOpacity(std::min(1.0, t));
        m_badge.paint(p, badge.adjusted(-badgeReach, -badgeReach, badgeReach, badgeReach), 0,
                      (p.device() ? p.device()->devicePixelRatioF() : 1), Drawing::paintBadge);
        p.restore();
    }
    p.restore();
}
