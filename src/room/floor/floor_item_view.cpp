#include "room/floor/floor_item_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "platform/default_application.h"
#include "platform/file_manager_reveal.h"
#include "room/floor/floor_rules.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QCache>
#include <QHash>
#include <QMenu>
#include <QPainter>
#include <QPointer>

namespace {
constexpr qreal iconSide = 44;
constexpr qreal stackSpacing = 3;
constexpr qreal labelMaxTextWidth = 86;
constexpr qreal restoreSide = 20;
constexpr Animation dropSpring = Animation::spring(0.35, 0.75);
constexpr Animation menuSpring = Animation::spring(0.5, 1.0);

DesignFont labelFont()
{
    return DesignFont::system(9.5, QFont::DemiBold);
}

// A symbol on a filled circle, as the file's badges are drawn.
void paintBadge(QPainter& painter, const QRectF& rect, const QString& symbol, const QColor& tint,
                const QColor& circle)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(circle);
    painter.drawEllipse(rect);
    Symbols::paint(painter, symbol, rect, tint);
    painter.restore();
}

// The bases of the files' looks (see renderLook), in kilobytes: some ninety looks.
QCache<QByteArray, QImage>& lookBases()
{
    static QCache<QByteArray, QImage> bases(4 * 1024);
    return bases;
}
int lookBaseDrawings = 0;
} // namespace

FloorItemView::FloorItemView(const QUrl& itemURL, StorageManager& storage,
                             FloorInteractionState& floorState, AppState& appState,
                             QGraphicsItem* parent)
    : RoomItem(parent), m_itemURL(itemURL), m_name(itemURL.fileName()), m_storage(storage),
      m_floorState(floorState), m_appState(appState), m_tilt(restingTilt(m_name))
{
    // Room for the dragged icon's shadow and the badges beyond the frame.
    setPaintMargins(QMarginsF(17, 17, 17, 8));
    gestures().onDrag(
        2, [this](const DragValue& v) { handleDragChanged(v); },
        [this](const DragValue& v) { handleDragEnded(v); });
    gestures().onDoubleTap([this] { openFile(); });
    gestures().onHover([this](bool inside) { hoverChanged(inside); });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });
    gestures().setToolTip(helpText(m_name));

    layoutStack();
    refresh();
}

int FloorItemView::restingTilt(const QString& name)
{
    // Seeded per launch, like the default floor places: the tilt may differ next time.
    const quint64 h = qHash(name, QHashSeed::globalSeed());
    return int(h % 21) - 10;
}

QString FloorItemView::helpText(const QString& name)
{
    return name + QStringLiteral(": Geser ke mana saja di desktop, ke rak buku, slot foto, atau "
                                 "tong sampah. Klik 2x untuk membuka.");
}

void FloorItemView::setCovered(bool covered)
{
    if (covered == m_isCovered)
        return;
    m_isCovered = covered;
    update();
    Q_EMIT lookChanged();
}

void FloorItemView::setIconImage(const QIcon& icon)
{
    m_icon = icon;
    m_sprite = QImage();
    update();
    Q_EMIT lookChanged();
}

bool FloorItemView::isDragged() const
{
    return m_floorState.draggingFloorFileName() == m_name;
}

bool FloorItemView::isSelected() const
{
    return m_floorState.selectedFileNames().contains(m_name);
}

bool FloorItemView::isHovered() const
{
    return m_floorState.hoveredFloorFileName() == m_name;
}

void FloorItemView::refresh()
{
    const bool dragged = isDragged();
    const bool selected = isSelected();
    const bool hovered = isHovered();
    const qreal tilt = dragged || selected ? 0 : m_tilt;
    if (rotation() != tilt)
        setRotation(tilt);
    const bool showRestore = hovered && !selected;
    if (showRestore || m_restoreButton) {
        RoomItem* button = restoreButton();
        if (button->isVisible() != showRestore)
            button->setVisible(showRestore);
    }
    const int look = (dragged ? 1 : 0) | (selected ? 2 : 0) | (hovered ? 4 : 0);
    if (look != m_paintedLook) {
        m_paintedLook = look;
        update();
        Q_EMIT lookChanged();
    }
}

void FloorItemView::layoutStack()
{
    const DesignFont font = labelFont();
    m_elidedName = font.elidedText(m_name, Qt::ElideMiddle, labelMaxTextWidth);
    m_labelSize = QSizeF(font.horizontalAdvance(m_elidedName) + 12, font.height() + 4);
    setSize(QSizeF(std::max(iconSide, m_labelSize.width()),
                   iconSide + stackSpacing + m_labelSize.height()));
    setTransformOriginPoint(rect().center());
    if (m_restoreButton)
        m_restoreButton->setCentre(restoreRect().center());
}

QRectF FloorItemView::restoreRect() const
{
    // Aligned with the icon's top-right corner, then moved out by (6, -6).
    const QRectF icon = iconRect();
    return QRectF(icon.right() + 6 - restoreSide, icon.top() - 6, restoreSide, restoreSide);
}

RoomItem* FloorItemView::restoreButton()
{
    // Made the first time the pointer is over the file: a floor of thousands holds that many
    // views, and a button each, hidden, cost their making and every repaint of the floor a
    // look at each.
    if (m_restoreButton)
        return m_restoreButton;
    m_restoreButton = new RoomItem(this);
    m_restoreButton->setSize(QSizeF(restoreSide, restoreSide));
    m_restoreButton->setHitShape(Painting::ellipse(QRectF(0, 0, restoreSide, restoreSide)));
    m_restoreButton->gestures().onTap([this] {
        withAnimation(dropSpring, [&] { m_storage.restoreCarpetItemToDesktop(m_itemURL); });
    });
    m_restoreButton->gestures().setToolTip(QStringLiteral("Kembalikan file ini ke Desktop"));
    m_restoreButton->setVisible(false);
    m_restoreButton->setCentre(restoreRect().center());
    return m_restoreButton;
}

QRectF FloorItemView::iconRect() const
{
    return QRectF((size().width() - iconSide) / 2, 0, iconSide, iconSide);
}

QRectF FloorItemView::labelRect() const
{
    return QRectF((size().width() - m_labelSize.width()) / 2, iconSide + stackSpacing,
                  m_labelSize.width(), m_labelSize.height());
}

void FloorItemView::setInLayer(bool inLayer)
{
    if (inLayer == m_inLayer)
        return;
    m_inLayer = inLayer;
    // A file in the floor's picture keeps no image of its own, and the scene's paints pass
    // it by without measuring it: a folder of thousands is that many files.
    if (inLayer)
        dropSprite();
    setFlag(ItemHasNoContents, inLayer);
    update();
}

int FloorItemView::look() const
{
    return (isDragged() ? 1 : 0) | (isSelected() ? 2 : 0) | (isHovered() ? 4 : 0);
}

void FloorItemView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_inLayer)
        paintLook(*painter);
}

void FloorItemView::paintLook(QPainter& painter)
{
    // The look is drawn upright once and then laid at the file's tilt in one image draw:
    // drawn tilted, every part of it would go through the painter's slow turned paths.
    const qreal dpr = Painting::cachePixelRatio(painter);
    const int look = this->look() | (m_isCovered ? 8 : 0);
    if (m_sprite.isNull() || m_spriteLook != look || m_sprite.devicePixelRatio() != dpr) {
        m_sprite = renderLook(dpr);
        m_spriteLook = look;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (painter.deviceTransform().type() <= QTransform::TxTranslate) {
        painter.drawImage(boundingRect().topLeft(), m_sprite);
    } else {
        // Laid at a tilt, the image goes in strips: the painter hands each draw of more than
        // about a hundred rows to other threads, and for an image this small the hand-offs
        // cost more than the drawing. Without antialiasing each device pixel falls in one
        // strip, so no seam shows.
        painter.setRenderHint(QPainter::Antialiasing, false);
        const int strip = 40;
        const QRectF bounds = boundingRect();
        for (int y = 0; y < m_sprite.height(); y += strip) {
            const int rows = std::min(strip, m_sprite.height() - y);
            painter.drawImage(
                QRectF(bounds.left(), bounds.top() + y / dpr, bounds.width(), rows / dpr), m_sprite,
                QRectF(0, y, m_sprite.width(), rows));
        }
    }
    painter.restore();
}

void FloorItemView::dropSprite()
{
    if (m_sprite.isNull())
        return;
    m_sprite = QImage();
}

QImage FloorItemView::renderLook(qreal dpr) const
{
    // Everything but the name is shared by the files of one icon, label size and look: a
    // selection of thousands draws each such base once and copies it, and only writes each
    // file's name on its copy (the name comes last, so the copy is what a drawing from
    // scratch makes).
    const int look = this->look() | (m_isCovered ? 8 : 0);
    // The key holds the values' own bits: writing the sizes out as text cost a fifth of a
    // copied look.
    const qint64 icon = m_icon.cacheKey();
    const double sizes[] = {m_labelSize.width(), m_labelSize.height(), dpr};
    QByteArray key;
    key.reserve(int(sizeof(icon) + sizeof(sizes) + sizeof(look)));
    key.append(reinterpret_cast<const char*>(&icon), sizeof(icon));
    key.append(reinterpret_cast<const char*>(sizes), sizeof(sizes));
    key.append(reinterpret_cast<const char*>(&look), sizeof(look));
    QCache<QByteArray, QImage>& bases = lookBases();
    QImage sprite;
    if (const QImage* base = bases.object(key)) {
        sprite = base->copy();
    } else {
        const QImage made = renderBase(dpr);
        ++lookBaseDrawings;
        bases.insert(key, new QImage(made), std::max(1, int(made.sizeInBytes() / 1024)));
        sprite = made.copy();
    }
    sprite.setDevicePixelRatio(dpr);
    QPainter painter(&sprite);
    painter.translate(-boundingRect().topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Colors::white());
    labelFont().drawText(painter, labelRect(), Qt::AlignCenter | Qt::TextSingleLine, m_elidedName);
    return sprite;
}

int FloorItemView::lookBaseDrawCount()
{
    return lookBaseDrawings;
}

QImage FloorItemView::renderBase(qreal dpr) const
{
    const QRectF bounds = boundingRect();
    QImage sprite((bounds.size() * dpr).toSize().expandedTo(QSize(1, 1)),
                  QImage::Format_ARGB32_Premultiplied);
    sprite.setDevicePixelRatio(dpr);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.translate(-bounds.topLeft());
    const bool dragged = isDragged();
    const bool selected = isSelected();
    const bool hovered = isHovered();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The icon, enlarged while dragged or hovered, over its shadow.
    const QRectF icon = iconRect();
    const qreal scale = dragged ? 1.15 : hovered ? 1.05 : 1.0;
    painter.save();
    painter.translate(icon.center());
    painter.scale(scale, scale);
    painter.translate(-icon.center());
    const QPixmap pixmap = m_icon.pixmap(QSize(int(iconSide), int(iconSide)), dpr);
    if (!pixmap.isNull()) {
        const QSizeF drawn =
            pixmap.deviceIndependentSize().scaled(icon.size(), Qt::KeepAspectRatio);
        const QRectF target(icon.center() - QPointF(drawn.width(), drawn.height()) / 2, drawn);
        // Files of one type share their icon and so its shadow.
        const qreal radius = dragged ? 8 : 4;
        const QString key =
            QStringLiteral("floor-icon:%1:%2:%3:%4")
                .arg(m_icon.name().isEmpty() ? QString::number(pixmap.cacheKey()) : m_icon.name())
                .arg(pixmap.width())
                .arg(radius)
                .arg(dpr);
        const QImage shadow = SoftShadow::shared(key, [&] {
            // The icon's own silhouette casts the shadow.
            QImage silhouette = pixmap.toImage();
            silhouette.setDevicePixelRatio(pixmap.devicePixelRatio());
            return SoftShadow::blurred(silhouette, radius, Colors::black(dragged ? 0.65 : 0.4));
        });
        const qreal spread = SoftShadow::spread(radius);
        const QPointF offset(0, dragged ? 6 : 3);
        const QSizeF shadowSize = shadow.deviceIndependentSize() *
                                  (drawn.width() / pixmap.deviceIndependentSize().width());
        painter.drawImage(QRectF(target.topLeft() - QPointF(spread, spread) + offset, shadowSize),
                          shadow);
        painter.drawPixmap(target, pixmap, pixmap.rect());
    }
    painter.restore();

    // Badges hang from the icon's top-right corner.
    const auto badge = [&](qreal dx, qreal dy, qreal side) {
        return QRectF(icon.right() + dx - side, icon.top() + dy, side, side);
    };
    if (m_isCovered) {
        paintBadge(painter, badge(-24, -4, 17), QStringLiteral("eye.slash.circle.fill"),
                   Colors::srgb(0.98, 0.88, 0.5), Colors::black(0.85));
    }
    if (selected) {
        paintBadge(painter, badge(-26, -4, 18), QStringLiteral("checkmark.circle.fill"),
                   Colors::controlAccent(), Colors::white());
    } else if (hovered) {
        paintBadge(painter, restoreRect(), QStringLiteral("arrow.up.forward.circle.fill"),
                   QColor(Qt::yellow), Colors::black(0.85));
    }

    // The name on its capsule, over a shadow shared by every capsule of its size.
    const QRectF label = labelRect();
    const ShadowStyle style{Colors::black(0.4), 2, QPointF(0, 1)};
    const QSizeF capsuleSize(std::ceil(label.width()), std::ceil(label.height()));
    const QImage labelShadow = SoftShadow::shared(
        QStringLiteral("floor-label:%1x%2:%3")
            .arg(capsuleSize.width())
            .arg(capsuleSize.height())
            .arg(dpr),
        [&] {
            return SoftShadow::ofPath(Painting::capsule(QRectF(QPointF(), capsuleSize)),
                                      style.radius, style.color, dpr, nullptr);
        });
    const qreal labelSpread = SoftShadow::spread(style.radius);
    painter.drawImage(label.center() - QPointF(capsuleSize.width(), capsuleSize.height()) / 2 -
                          QPointF(labelSpread, labelSpread) + style.offset,
                      labelShadow);
    const QPainterPath capsule = Painting::capsule(label);
    painter.fillPath(capsule, selected ? Colors::selectedControl() : Colors::black(0.72));
    const QPen outline = selected      ? QPen(Colors::white(0.75), 1.2)
                         : m_isCovered ? QPen(Colors::withOpacity(QColor(Qt::yellow), 0.4), 0.8)
                                       : QPen(Colors::white(0.18), 0.8);
    painter.setPen(outline);
    painter.drawPath(capsule);
    return sprite;
}

void FloorItemView::hoverChanged(bool inside)
{
    if (inside)
        m_floorState.setHoveredFloorFileName(m_name);
    else
        m_floorState.setHoveredFloorFileName(std::nullopt);
}

QPointF FloorItemView::newCentre(const QPointF& translation) const
{
    const StoredPosition p = m_storage.carpetItemPosition(m_name);
    return RoomGeometry(m_screenSize).roomPoint(QPointF(p.x, p.y)) + translation;
}

void FloorItemView::handleDragChanged(const DragValue& value)
{
    const QPointF t = value.translation();
    m_floorState.setDraggingFloorFileName(m_name);
    m_floorState.setFloorFileDragTranslation(QSizeF(t.x(), t.y()));

    const RoomGeometry geometry(m_screenSize);
    const QPointF centre = newCentre(t);
    const QPointF pointer = value.location;
    m_appState.setBookshelfTargeted(geometry.isOnShelfTarget(centre) ||
                                    geometry.isOnShelfTarget(pointer));
    m_appState.setTrashTargeted(geometry.isOnTrashTarget(centre) ||
                                geometry.isOnTrashTarget(pointer));
    const int slot = FloorRules::targetedPhotoSlot(geometry, centre, pointer,
                                                   StorageManager::isImageFile(m_itemURL));
    m_appState.setTargetedPhotoSlot(slot >= 0 ? std::optional<int>(slot) : std::nullopt);
}

void FloorItemView::handleDragEnded(const DragValue& value)
{
    // The moves below may take this file off the floor; the layer then lets its view go
    // after this event, never inside it.
    m_appState.clearDropTargets();
    const QPointF t = value.translation();
    if (value.distance() < FloorRules::floorFileClickDistance) {
        m_floorState.toggleSelection(m_name);
    } else {
        const QStringList names =
            FloorRules::namesToMove(m_name, isSelected(), m_floorState.selectedFileNames());
        const FloorRules::FloorRelease release =
            FloorRules::floorReleaseTarget(RoomGeometry(m_screenSize), newCentre(t), value.location,
                                           StorageManager::isImageFile(m_itemURL));
        using Target = FloorRules::FloorRelease::Target;
        switch (release.target) {
        case Target::Bookshelf:
            withAnimation(dropSpring, [&] {
                m_storage.moveCarpetItemsToBookshelf(names);
                m_floorState.clearSelection();
            });
            break;
        case Target::PhotoFrame:
            // Only this file goes into the frame, also when it was dragged with others.
            withAnimation(dropSpring,
                          [&] { m_storage.setPhoto(m_itemURL, release.slot, framingDone()); });
            break;
        case Target::Trash:
            withAnimation(dropSpring, [&] {
                m_storage.trashCarpetFiles(names);
                m_floorState.clearSelection();
            });
            break;
        case Target::Floor:
            moveOnFloor(names, t);
            break;
        }
    }
    m_floorState.setDraggingFloorFileName(std::nullopt);
    m_floorState.setFloorFileDragTranslation(QSizeF(0, 0));
}

std::function<void(bool framed)> FloorItemView::framingDone() const
{
    // The framing ends later, when the view may be gone: only what it names is kept.
    return [storage = QPointer<StorageManager>(&m_storage),
            floor = QPointer<FloorInteractionState>(&m_floorState), url = m_itemURL,
            name = m_name](bool framed) {
        // A photo that did not reach its frame stays on the floor where it lay.
        if (!framed || !storage)
            return;
        storage->trashCarpetItem(url);
        if (!floor)
            return;
        QSet<QString> selection = floor->selectedFileNames();
        if (selection.remove(name))
            floor->setSelectedFileNames(selection);
    };
}

void FloorItemView::moveOnFloor(const QStringList& names, const QPointF& translation)
{
    const RoomGeometry geometry(m_screenSize);
    FloorPositions positions = m_storage.floorItemPositions();
    for (const QString& name : names) {
        const StoredPosition p = m_storage.carpetItemPosition(name);
        const QPointF n =
            geometry.normalisedFloorPoint(geometry.roomPoint(QPointF(p.x, p.y)) + translation);
        positions.insert(name, StoredPosition{n.x(), n.y()});
    }
    m_storage.setFloorItemPositions(positions);
    m_storage.saveFloorPositions();
}

void FloorItemView::openFile()
{
    DefaultApplication::open(m_itemURL.toLocalFile());
}

void FloorItemView::revealFile()
{
    FileManagerReveal::shared().showItems(
        {FileManagerReveal::resolvedPath(m_itemURL.toLocalFile())});
}

void FloorItemView::populateContextMenu(QMenu& menu)
{
    const bool selected = isSelected();
    const int count = int(m_floorState.selectedFileNames().size());
    // A move may take this view away while the menu is open.
    QPointer<FloorItemView> self(this);
    const auto add = [&menu, self](const QString& title, std::function<void(FloorItemView&)> fn) {
        Gestures::addMenuAction(menu, title, [self, fn] {
            if (self)
                fn(*self);
        });
    };
    const auto selection = [](FloorItemView& v) {
        return FloorRules::namesToMove(v.m_name, true, v.m_floorState.selectedFileNames());
    };

    if (selected && count >= 2) {
        add(QStringLiteral("Masukkan %1 File ke Rak Buku").arg(count), [selection](auto& v) {
            withAnimation(menuSpring, [&] {
                v.m_storage.moveCarpetItemsToBookshelf(selection(v));
                v.m_floorState.clearSelection();
            });
        });
        add(QStringLiteral("Buang %1 File ke Tempat Sampah").arg(count), [selection](auto& v) {
            withAnimation(menuSpring, [&] {
                v.m_storage.trashCarpetFiles(selection(v));
                v.m_floorState.clearSelection();
            });
        });
        add(QStringLiteral("Lepas Blok Pilihan"), [](auto& v) { v.m_floorState.clearSelection(); });
        menu.addSeparator();
    }
    add(selected ? QStringLiteral("Lepas Pilihan (Unselect)")
                 : QStringLiteral("Pilih File Ini (Blok)"),
        [](auto& v) { v.m_floorState.toggleSelection(v.m_name); });
    add(QStringLiteral("Buka ") + m_name, [](auto& v) { v.openFile(); });
    if (StorageManager::isImageFile(m_itemURL)) {
        add(QStringLiteral("Pasang ke Bingkai Foto"), [](auto& v) {
            withAnimation(menuSpring,
                          [&] { v.m_storage.addPhotoToFreeFrame(v.m_itemURL, v.framingDone()); });
        });
    }
    add(QStringLiteral("Masukkan ke Rak Buku"), [](auto& v) {
        withAnimation(menuSpring, [&] { v.m_storage.moveCarpetItemsToBookshelf({v.m_name}); });
    });
    add(QStringLiteral("Kembalikan ke Desktop"), [](auto& v) {
        withAnimation(menuSpring, [&] { v.m_storage.restoreCarpetItemToDesktop(v.m_itemURL); });
    });
    add(QStringLiteral("Tampilkan di Finder"), [](auto& v) { v.revealFile(); });
    menu.addSeparator();
    add(QStringLiteral("Buang ke Tempat Sampah"), [](auto& v) {
        withAnimation(menuSpring, [&] { v.m_storage.trashCarpetItem(v.m_itemURL); });
    });
}
