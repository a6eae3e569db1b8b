#include "wall/photo_frame_item_view.h"

#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/drops.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "platform/default_application.h"
#include "platform/file_manager_reveal.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"
#include "storage/dropped_url_reader.h"
#include "storage/storage_manager.h"

#include <QGraphicsSceneDragDropEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {
constexpr Animation photoSpring = Animation::spring(0.5, 1.0);
constexpr qreal kPanMinimum = 4;
constexpr qreal kClickSlop = 3;
constexpr qreal kEjectSide = 18;

const QString kPhotoHelp = QStringLiteral("Bingkai Foto: Geser untuk menyesuaikan posisi, klik "
                                          "untuk zoom/rotate, klik 2x untuk buka di Preview");
const QString kEmptyHelp =
    QStringLiteral("Tarik foto ke sini untuk dipajang atau klik untuk memilih file");
} // namespace

PhotoFrameItemView::PhotoFrameItemView(StorageManager& storage, AppState& appState, int slotIndex,
                                       const Style& style, QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_appState(appState), m_slot(slotIndex), m_style(style),
      // Anything but a photo is left to the room below (a document lands on the floor).
      m_drops(
          [](QGraphicsSceneDragDropEvent* event) {
              return event->mimeData() && offersImage(*event->mimeData()) &&
                     Drops::proposeCopyOrLink(event);
          },
          [this](QGraphicsSceneDragDropEvent* event) { handleDrop(*event->mimeData()); },
          [this](bool targeted) { setTargeted(targeted); })
{
    setPaintMargins(QMarginsF(12, 12, 12, 12));
    // The board, the mat, the clipped and turned photo and the glass cost more than the rest
    // of the wall: a repaint of the room over a still frame copies it from its picture.
    setCacheMode(DeviceCoordinateCache);
    setAcceptDrops(true);
    gestures().onHover([this](bool inside) { hoverChanged(inside); });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });

    m_photoArea = new RoomItem(this);
    m_photoArea->setFlag(ItemHasNoContents);

    m_eject = new ButtonItem(
        [](QPainter& painter, const QRectF& rect) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Colors::black(0.85));
            painter.drawEllipse(rect);
            Symbols::paint(painter,
                           QStringLiteral("arrow.down.forward.and.arrow.up.backward.circle.fill"),
                           rect, TOLVANEColors::highlighterGreen());
        },
        [this] { ejectPhoto(); }, this);
    m_eject->setSize(QSizeF(kEjectSide, kEjectSide));
    m_eject->setHitShape(Painting::ellipse(QRectF(0, 0, kEjectSide, kEjectSide)));
    m_eject->gestures().setToolTip(QStringLiteral("Keluarkan foto ke lantai rumput"));
    m_eject->setZValue(2);
    m_eject->setVisible(false);

    for (auto signal : {&StorageManager::photoSlotsChanged, &StorageManager::cachedPhotosChanged,
                        &StorageManager::photoTransformsChanged})
        connect(&m_storage, signal, this, &PhotoFrameItemView::refresh);
    for (auto signal :
         {&AppState::targetedPhotoSlotChanged, &AppState::hoveredPhotoSlotChanged,
          &AppState::draggingPhotoSlotChanged, &AppState::photoDragTranslationChanged})
        connect(&m_appState, signal, this, &PhotoFrameItemView::refresh);

    setSize(style.size);
    refresh();
}

QSizeF PhotoFrameItemView::photoAreaSize(const QSizeF& size, bool isOval)
{
    const qreal inset = isOval ? 26 : 24;
    return QSizeF(std::max(size.width() - inset, qreal(20)),
                  std::max(size.height() - inset, qreal(20)));
}

QRectF PhotoFrameItemView::photoAreaRect() const
{
    const QSizeF area = photoAreaSize(size(), m_style.isOval);
    return QRectF(
        QPointF((size().width() - area.width()) / 2, (size().height() - area.height()) / 2), area);
}

QPainterPath PhotoFrameItemView::outline(const QRectF& rect, qreal radius) const
{
    return m_style.isOval ? Painting::ellipse(rect) : Painting::continuousRoundedRect(rect, radius);
}

void PhotoFrameItemView::onSizeChanged()
{
    const QRectF area = photoAreaRect();
    m_photoArea->setPos(area.topLeft());
    m_photoArea->setSize(area.size());
    m_photoArea->setHitShape(m_style.isOval ? outline(QRectF(QPointF(), area.size()), 0) : [&] {
        QPainterPath path;
        path.addRect(QRectF(QPointF(), area.size()));
        return path;
    }());
    m_eject->setPos(size().width() - 5 - kEjectSide, 5);
}

std::optional<QUrl> PhotoFrameItemView::photoURL() const
{
    const auto it = m_storage.photoSlots().constFind(m_slot);
    if (it == m_storage.photoSlots().cend())
        return std::nullopt;
    return *it;
}

bool PhotoFrameItemView::showsPhoto() const
{
    return m_storage.cachedPhotos().contains(m_slot);
}

bool PhotoFrameItemView::isTargeted() const
{
    return m_appState.targetedPhotoSlot() == m_slot;
}

PhotoTransform PhotoFrameItemView::shownTransform() const
{
    PhotoTransform t = m_storage.transform(m_slot);
    if (m_appState.draggingPhotoSlot() == m_slot) {
        t.offsetX += m_appState.photoDragTranslation().width();
        t.offsetY += m_appState.photoDragTranslation().height();
    }
    return t;
}

PhotoFrameItemView::Look PhotoFrameItemView::currentLook() const
{
    Look look;
    const auto image = m_storage.cachedPhotos().constFind(m_slot);
    look.image = image != m_storage.cachedPhotos().cend() ? image->cacheKey() : 0;
    look.transform = shownTransform();
    look.targeted = isTargeted();
    look.hasFile = photoURL().has_value();
    look.hovered = m_appState.hoveredPhotoSlot() == m_slot;
    return look;
}

void PhotoFrameItemView::refresh()
{
    // Every frame hears every pan step of every other frame: repaint only on a change of
    // this frame's own look.
    const Look look = currentLook();
    attachGestures(look.image != 0);
    m_eject->setVisible(look.hovered && look.hasFile);
    if (look == m_look)
        return;
    m_look = look;
    update();
}

void PhotoFrameItemView::attachGestures(bool filled)
{
    if (m_gesturesFilled == filled)
        return;
    m_gesturesFilled = filled;
    Gestures& g = m_photoArea->gestures();
    if (filled) {
        const auto local = [this](const DragValue& v) {
            const QPointF t = mapFromScene(v.location) - mapFromScene(v.startLocation);
            return QSizeF(t.x(), t.y());
        };
        g.onDrag(
            kPanMinimum, [this, local](const DragValue& v) { photoDragChanged(local(v)); },
            [this, local](const DragValue& v) { photoDragEnded(local(v)); });
        g.onDoubleTap([this] { openPhoto(); });
        g.onTap([this] { showQuickView(); });
        g.setToolTip(kPhotoHelp);
    } else {
        g.onDrag(0, {}, {});
        g.onDoubleTap({});
        g.onTap([this] { choosePhoto(); });
        g.setToolTip(kEmptyHelp);
    }
}

void PhotoFrameItemView::photoDragChanged(const QSizeF& translation)
{
    if (m_appState.draggingPhotoSlot() != m_slot) {
        m_panStart = m_storage.transform(m_slot);
        m_appState.setDraggingPhotoSlot(m_slot);
    }
    m_appState.setPhotoDragTranslation(translation);
}

void PhotoFrameItemView::photoDragEnded(const QSizeF& translation)
{
    if (std::abs(translation.width()) < kClickSlop && std::abs(translation.height()) < kClickSlop) {
        showQuickView();
    } else {
        const PhotoTransform& t = m_panStart;
        m_storage.setPhotoTransform(m_slot, t.scale, t.rotation, t.offsetX + translation.width(),
                                    t.offsetY + translation.height());
    }
    m_appState.setDraggingPhotoSlot(std::nullopt);
    m_appState.setPhotoDragTranslation(QSizeF(0, 0));
}

void PhotoFrameItemView::hoverChanged(bool inside)
{
    if (inside) {
        m_appState.setHoveredPhotoSlot(m_slot);
    } else if (m_appState.hoveredPhotoSlot() == m_slot) {
        // The next frame may already have taken the hover.
        m_appState.setHoveredPhotoSlot(std::nullopt);
    }
}

void PhotoFrameItemView::showQuickView()
{
    m_appState.toggleQuickView(ActiveDesktopQuickView::photo(m_slot));
}

void PhotoFrameItemView::openPhoto()
{
    if (const std::optional<QUrl> url = photoURL())
        DefaultApplication::open(url->toLocalFile());
}

void PhotoFrameItemView::choosePhoto()
{
    m_storage.choosePhoto(m_slot);
}

void PhotoFrameItemView::ejectPhoto()
{
    withAnimation(photoSpring, [this] { m_storage.movePhotoToCarpet(m_slot); });
}

void PhotoFrameItemView::removePhoto()
{
    withAnimation(photoSpring, [this] { m_storage.removePhoto(m_slot); });
}

void PhotoFrameItemView::revealAlbumFolder()
{
    FileManagerReveal::shared().showItems(
        {FileManagerReveal::resolvedPath(m_storage.photosDirectory().toLocalFile())});
}

void PhotoFrameItemView::setPhotoIfImage(const QUrl& url)
{
    if (!StorageManager::isImageFile(url))
        return;
    withAnimation(photoSpring, [this, &url] { m_storage.setPhoto(url, m_slot); });
}

void PhotoFrameItemView::handleDrop(const QMimeData& data)
{
    // The files are read after the drop returns; the frame may be gone by then.
    QPointer<PhotoFrameItemView> self(this);
    StorageManager::loadDroppedURL(data, [self](const QUrl& url) {
        if (self)
            self->setPhotoIfImage(url);
    });
}

void PhotoFrameItemView::populateContextMenu(QMenu& menu)
{
    if (photoURL()) {
        Gestures::addMenuAction(menu, QStringLiteral("Buka Foto di Preview"),
                                [this] { openPhoto(); });
        Gestures::addMenuAction(menu, QStringLiteral("Ganti Foto..."), [this] { choosePhoto(); });
        menu.addSeparator();
        Gestures::addMenuAction(menu, QStringLiteral("Keluarkan ke Lantai Rumput"),
                                [this] { ejectPhoto(); });
        Gestures::addMenuAction(menu, QStringLiteral("Hapus Foto dari Bingkai"),
                                [this] { removePhoto(); });
    } else {
        Gestures::addMenuAction(menu, QStringLiteral("Pilih Foto untuk Bingkai Ini..."),
                                [this] { choosePhoto(); });
    }
    menu.addSeparator();
    Gestures::addMenuAction(menu, QStringLiteral("Buka Folder Album di Finder"),
                            [this] { revealAlbumFolder(); });
}

bool PhotoFrameItemView::offersImage(const QMimeData& data)
{
    const QList<QUrl> urls = DroppedURLReader::read(data);
    return std::any_of(urls.begin(), urls.end(),
                       [](const QUrl& url) { return StorageManager::isImageFile(url); });
}

void PhotoFrameItemView::setTargeted(bool targeted)
{
    if (targeted) {
        m_appState.setTargetedPhotoSlot(m_slot);
    } else if (isTargeted()) {
        // A drag enters the next frame before it leaves this one: only our own is cleared.
        m_appState.setTargetedPhotoSlot(std::nullopt);
    }
}

void PhotoFrameItemView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.enter(event);
}

void PhotoFrameItemView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.move(event);
}

void PhotoFrameItemView::dragLeaveEvent(QGraphicsSceneDragDropEvent*)
{
    m_drops.leave();
}

void PhotoFrameItemView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    m_drops.drop(event);
}

void PhotoFrameItemView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const auto draw = [this](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = rect();
        const bool oval = m_style.isOval;

        // 1. The board, its bevel and the drop highlight.
        const QPainterPath board = outline(frame, 4);
        m_boardShadow.paint(p, board, ShadowStyle{Colors::black(0.38), 5, QPointF(1, 3)});
        p.fillPath(board, m_style.frameColor);
        const qreal bevelInset = oval ? 2 : 1.5;
        p.strokePath(outline(frame.adjusted(bevelInset, bevelInset, -bevelInset, -bevelInset), 4),
                     QPen(m_style.innerBevel, oval ? 1.5 : 1.2));
        if (m_look.targeted) {
            const QPainterPath highlight = outline(frame, 5);
            QPainterPathStroker stroker;
            stroker.setWidth(3);
            const QPainterPath ring = stroker.createStroke(highlight);
            const QColor& green = TOLVANEColors::highlighterGreen();
            m_highlightGlow.paint(p, ring, ShadowStyle{green, 6, QPointF()});
            p.fillPath(ring, green);
        }

        // 2. The mat.
        const qreal matInset = oval ? 8 : 7;
        const QPainterPath mat =
            outline(frame.adjusted(matInset, matInset, -matInset, -matInset), 2);
        p.fillPath(mat, Colors::srgb(0.98, 0.96, 0.92));
        p.strokePath(mat, QPen(Colors::black(0.08), 0.8));

        // 3. The photo or the empty face.
        if (m_look.image != 0)
            paintPhoto(p);
        else
            paintEmptyFace(p);

        // 4. The glass.
        paintGlass(p);
    };
    // A photo is laid down from a pixmap, which only the GUI thread may draw.
    if (m_look.image != 0)
        draw(*painter);
    else
        paintFillsWhole(*this, *painter, boundingRect(), draw);
}

void PhotoFrameItemView::paintPhoto(QPainter& p)
{
    const QImage image = m_storage.cachedPhotos().value(m_slot);
    if (image.isNull())
        return;
    if (m_photoKey != image.cacheKey()) {
        m_photo = QPixmap::fromImage(image);
        m_photoKey = image.cacheKey();
    }
    const QRectF area = photoAreaRect();
    const PhotoTransform& t = m_look.transform;
    p.save();
    p.setClipPath(outline(area, 2), Qt::IntersectClip);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Zoom and turn about the area's centre, then shift in the frame's own points.
    p.translate(area.center() + QPointF(t.offsetX, t.offsetY));
    if (std::isfinite(t.rotation))
        p.rotate(t.rotation);
    if (std::isfinite(t.scale))
        p.scale(t.scale, t.scale);
    const QRectF centred(QPointF(-area.width() / 2, -area.height() / 2), area.size());
    p.drawPixmap(Painting::aspectFillRect(m_photo.size(), centred), m_photo, m_photo.rect());
    p.restore();
}

void PhotoFrameItemView::paintEmptyFace(QPainter& p)
{
    const bool targeted = m_look.targeted;
    const QColor& blue = TOLVANEColors::electricBlue();
    const QColor icon = targeted ? blue : Colors::grey(0.6);
    const QColor text = targeted ? blue : Colors::grey(0.7);
    const QString caption = QStringLiteral("Tarik Foto 🖼️");
    const QFont font = Units::systemFont(8, QFont::Bold);
    const QFontMetricsF metrics(font);
    const qreal glyph = 16;
    const qreal height = glyph + 3 + metrics.height();
    const QRectF area = photoAreaRect();
    const qreal top = area.center().y() - height / 2;
    Symbols::paint(p, QStringLiteral("photo"),
                   QRectF(area.center().x() - glyph / 2, top, glyph, glyph), icon);
    p.setFont(font);
    p.setPen(text);
    p.drawText(QRectF(area.left(), top + glyph + 3, area.width(), metrics.height()),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, caption);
}

void PhotoFrameItemView::paintGlass(QPainter& p)
{
    const qreal inset = m_style.isOval ? 9 : 8;
    const QRectF glass = rect().adjusted(inset, inset, -inset, -inset);
    if (glass.isEmpty())
        return;
    const QPainterPath shape = outline(glass, 2);
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    p.fillRect(glass, Painting::diagonalGradient(glass, {Colors::white(0.18), Colors::white(0.04),
                                                         Qt::transparent, Colors::white(0.09)}));
    QPainterPath glare;
    glare.moveTo(glass.topLeft());
    glare.lineTo(glass.left() + 0.72 * glass.width(), glass.top());
    glare.lineTo(glass.left(), glass.top() + 0.72 * glass.height());
    glare.closeSubpath();
    p.fillPath(glare,
               Painting::diagonalGradient(glass, {Colors::white(0.24), Colors::white(0.01)}));
    p.strokePath(shape,
                 QPen(QBrush(Painting::diagonalGradient(
                          glass, {Colors::white(0.55), Qt::transparent, Colors::black(0.2)})),
                      1));
    p.restore();
}
