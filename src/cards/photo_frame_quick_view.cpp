#include "cards/photo_frame_quick_view.h"

#include "cards/card_label.h"

#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "platform/default_application.h"
#include "state/tolvane_colors.h"
#include "storage/storage_manager.h"

#include <QFontMetricsF>
#include <QGraphicsProxyWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kZoomSteps = 50;
constexpr int kRotationSteps = 36; // of 5 degrees either way
constexpr qreal kSpacing = 8;
constexpr qreal kNudge = 8;

const QString kTips =
    QStringLiteral("💡 Tips: Foto di bingkai dinding bisa langsung digeser pakai mouse");

} // namespace

PhotoFrameQuickView::PhotoFrameQuickView(int slotIndex, std::function<void()> onClose,
                                         StorageManager& storage, QGraphicsItem* parent)
    : RoomItem(parent), m_slot(slotIndex), m_onClose(std::move(onClose)), m_storage(storage)
{
    connect(&m_storage, &StorageManager::cachedPhotosChanged, this, &PhotoFrameQuickView::rebuild);
    connect(&m_storage, &StorageManager::photoSlotsChanged, this, &PhotoFrameQuickView::rebuild);
    connect(&m_storage, &StorageManager::photoTransformsChanged, this,
            &PhotoFrameQuickView::showValues);
    rebuild();
}

QString PhotoFrameQuickView::title(int slotIndex)
{
    return QStringLiteral("Bingkai Foto #") + QString::number(slotIndex + 1);
}

bool PhotoFrameQuickView::showsPhoto() const
{
    return m_storage.cachedPhotos().contains(m_slot);
}

double PhotoFrameQuickView::quarterTurn(double rotation)
{
    if (!std::isfinite(rotation))
        return rotation;
    // Whole degrees toward zero, the remainder keeping the sign; computed in doubles, so a
    // stored angle far beyond any integer turns without overflow.
    return std::fmod(std::trunc(rotation + 90), 360.0);
}

double PhotoFrameQuickView::zoomForStep(int step)
{
    return 0.5 + std::clamp(step, 0, kZoomSteps) * 0.05;
}

int PhotoFrameQuickView::stepForZoom(double scale)
{
    if (!std::isfinite(scale))
        return stepForZoom(1);
    return int(std::lround(std::clamp((scale - 0.5) / 0.05, 0.0, double(kZoomSteps))));
}

int PhotoFrameQuickView::stepForRotation(double rotation)
{
    if (!std::isfinite(rotation))
        return 0;
    return int(
        std::lround(std::clamp(rotation / 5, double(-kRotationSteps), double(kRotationSteps))));
}

QString PhotoFrameQuickView::zoomText(double scale)
{
    return QString::asprintf("%.1fx", scale);
}

PhotoTransform PhotoFrameQuickView::transform() const
{
    return m_storage.transform(m_slot);
}

void PhotoFrameQuickView::saveTransform(const PhotoTransform& t)
{
    // The storage service is the one writer of photo_transforms.json.
    m_storage.setPhotoTransform(m_slot, t.scale, t.rotation, t.offsetX, t.offsetY);
}

void PhotoFrameQuickView::rotateQuarterTurn()
{
    PhotoTransform t = transform();
    t.rotation = quarterTurn(t.rotation);
    saveTransform(t);
}

void PhotoFrameQuickView::nudge(double dx, double dy)
{
    PhotoTransform t = transform();
    t.offsetX += dx;
    t.offsetY += dy;
    saveTransform(t);
}

void PhotoFrameQuickView::resetTransform()
{
    saveTransform(PhotoTransform{});
}

void PhotoFrameQuickView::openPhoto()
{
    const QUrl photo = m_storage.photoSlots().value(m_slot);
    if (!photo.isEmpty())
        DefaultApplication::open(photo.toLocalFile());
    m_onClose();
}

void PhotoFrameQuickView::replacePhoto()
{
    m_storage.choosePhoto(m_slot);
    m_onClose();
}

void PhotoFrameQuickView::moveToFloor()
{
    m_storage.movePhotoToCarpet(m_slot);
    m_onClose();
}

void PhotoFrameQuickView::removePhoto()
{
    m_storage.removePhoto(m_slot);
    m_onClose();
}

ButtonItem* PhotoFrameQuickView::button(const QString& title) const
{
    return m_buttons.value(title);
}

ButtonItem* PhotoFrameQuickView::addButton(const QString& title,
                                           std::function<void(QPainter&, const QRectF&)> look,
                                           std::function<void()> action, const QRectF& frame)
{
    auto* b = new ButtonItem(std::move(look), std::move(action), this);
    b->setPos(frame.topLeft());
    b->setSize(frame.size());
    m_buttons.insert(title, b);
    m_children << b;
    return b;
}

QSlider* PhotoFrameQuickView::addSlider(int minimum, int maximum, const QRectF& frame,
                                        std::function<void(int)> changed,
                                        QGraphicsProxyWidget** proxy)
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(minimum, maximum);
    slider->setAttribute(Qt::WA_TranslucentBackground);
    slider->setFixedSize(frame.size().toSize());
    QObject::connect(slider, &QSlider::valueChanged, this, std::move(changed));
    *proxy = new QGraphicsProxyWidget(this);
    (*proxy)->setWidget(slider);
    (*proxy)->setPos(frame.topLeft());
    m_children << *proxy;
    return slider;
}

void PhotoFrameQuickView::rebuild()
{
    const bool photo = showsPhoto();
    if (m_builtWithPhoto == photo) {
        update();
        return;
    }
    m_builtWithPhoto = photo;
    qDeleteAll(m_children);
    m_children.clear();
    m_buttons.clear();
    m_zoom = nullptr;
    m_rotation = nullptr;

    const QFont body = Units::systemFont(11);
    if (!photo) {
        const qreal textHeight = QFontMetricsF(body).height();
        m_emptyText = QRectF(0, 0, kWidth, textHeight);
        const ButtonLabel choose =
            cardLabel(QStringLiteral("plus.circle.fill"), QStringLiteral("Pilih Foto..."),
                      Units::systemFont(11, QFont::Bold), Colors::white(),
                      Colors::system(Colors::System::Blue));
        const qreal height = QFontMetricsF(choose.font).height() + 12;
        addButton(
            choose.title, [choose](QPainter& p, const QRectF& r) { choose.paint(p, r); },
            [this] { replacePhoto(); }, QRectF(0, textHeight + kSpacing, kWidth, height));
        setSize(QSizeF(kWidth, textHeight + kSpacing + height));
        update();
        return;
    }

    qreal y = 0;
    m_preview = QRectF(QPointF(0, y), kPreviewSize);
    y = m_preview.bottom() + kSpacing;

    // The controls' box: three rows in a padding of 6.
    const qreal rowHeight = 18;
    m_controls = QRectF(0, y, kWidth, 6 + 3 * rowHeight + 2 * 6 + 6);
    const qreal inner = kWidth - 12;
    const qreal left = 6;
    qreal rowY = y + 6;
    QGraphicsProxyWidget* proxy = nullptr;
    // Zoom: symbol, slider, the scale as text.
    m_zoomText = QRectF(left + inner - 32, rowY, 32, rowHeight);
    m_zoom = addSlider(
        0, kZoomSteps, QRectF(left + 18, rowY, inner - 18 - 8 - 32, rowHeight),
        [this](int step) {
            PhotoTransform t = transform();
            t.scale = zoomForStep(step);
            saveTransform(t);
        },
        &proxy);
    rowY += rowHeight + 6;
    // Rotation: symbol, slider, a quarter turn.
    const ButtonLabel turn =
        cardLabel({}, QStringLiteral("+90°"), Units::systemFont(9, QFont::Bold),
                  Colors::primaryLabel(), Colors::black(0.08), 4);
    const qreal turnWidth = widthWith(turn, 5);
    addButton(
        turn.title, [turn](QPainter& p, const QRectF& r) { turn.paint(p, r); },
        [this] { rotateQuarterTurn(); },
        QRectF(left + inner - turnWidth, rowY + 1, turnWidth, rowHeight - 2));
    m_rotation = addSlider(
        -kRotationSteps, kRotationSteps,
        QRectF(left + 18, rowY, inner - 18 - 8 - turnWidth, rowHeight),
        [this](int step) {
            PhotoTransform t = transform();
            t.rotation = step * 5.0;
            saveTransform(t);
        },
        &proxy);
    rowY += rowHeight + 6;
    // Offsets: the label, four nudges and a reset.
    const QFont geserFont = Units::systemFont(9, QFont::DemiBold);
    qreal x = left + QFontMetricsF(geserFont).horizontalAdvance(QStringLiteral("Geser:")) + 8;
    const struct {
        QString arrow;
        double dx, dy;
    } nudges[] = {{QStringLiteral("◀"), -kNudge, 0},
                  {QStringLiteral("▶"), kNudge, 0},
                  {QStringLiteral("▲"), 0, -kNudge},
                  {QStringLiteral("▼"), 0, kNudge}};
    for (const auto& n : nudges) {
        const ButtonLabel face = cardLabel({}, n.arrow, Units::systemFont(9),
                                           Colors::primaryLabel(), Colors::black(0.06), 3);
        const qreal w = widthWith(face, 4);
        addButton(
            n.arrow, [face](QPainter& p, const QRectF& r) { face.paint(p, r); },
            [this, dx = n.dx, dy = n.dy] { nudge(dx, dy); }, QRectF(x, rowY + 1, w, rowHeight - 2));
        x += w + 3;
    }
    const ButtonLabel reset = cardLabel(
        {}, QStringLiteral("Reset"), Units::systemFont(9, QFont::Medium),
        Colors::system(Colors::System::Orange), Colors::system(Colors::System::Orange, 0.12), 4);
    const qreal resetWidth = widthWith(reset, 6);
    addButton(
        reset.title, [reset](QPainter& p, const QRectF& r) { reset.paint(p, r); },
        [this] { resetTransform(); },
        QRectF(left + inner - resetWidth, rowY + 1, resetWidth, rowHeight - 2));
    y = m_controls.bottom() + kSpacing;

    const QFont tipsFont = Units::systemFont(8.5);
    m_tips = QRectF(0, y, kWidth,
                    QFontMetricsF(tipsFont)
                        .boundingRect(QRectF(0, 0, kWidth, 1000), Qt::TextWordWrap, kTips)
                        .height());
    y = m_tips.bottom() + kSpacing;
    m_divider = y;
    y += 1 + kSpacing;

    // The actions: "Preview" and "Ganti" share what "Ke Lantai" and the trash leave.
    const qreal actionHeight = QFontMetricsF(Units::systemFont(10)).height() + 10;
    // Ink on lime, so that the label reads on the light card.
    ButtonLabel floor =
        cardLabel(QStringLiteral("arrow.down.right.and.arrow.up.left"), QStringLiteral("Ke Lantai"),
                  Units::systemFont(10, QFont::DemiBold), TOLVANEColors::ink(),
                  TOLVANEColors::highlighterGreen());
    floor.border = Colors::withOpacity(TOLVANEColors::ink(), 0.18);
    const ButtonLabel trash =
        cardLabel(QStringLiteral("trash"), {}, Units::systemFont(10),
                  Colors::system(Colors::System::Red), Colors::system(Colors::System::Red, 0.12));
    const qreal floorWidth = widthWith(floor, 7);
    const qreal trashWidth = widthWith(trash, 6);
    const qreal shared = std::max((kWidth - floorWidth - trashWidth - 3 * 6) / 2, qreal(0));
    const ButtonLabel preview = cardLabel(
        QStringLiteral("arrow.up.forward.app.fill"), QStringLiteral("Preview"),
        Units::systemFont(10, QFont::Bold), Colors::white(), Colors::system(Colors::System::Blue));
    const ButtonLabel replace =
        cardLabel({}, QStringLiteral("Ganti"), Units::systemFont(10, QFont::Medium),
                  Colors::primaryLabel(), Colors::black(0.06));
    x = 0;
    addButton(
        preview.title, [preview](QPainter& p, const QRectF& r) { preview.paint(p, r); },
        [this] { openPhoto(); }, QRectF(x, y, shared, actionHeight));
    x += shared + 6;
    addButton(
        replace.title, [replace](QPainter& p, const QRectF& r) { replace.paint(p, r); },
        [this] { replacePhoto(); }, QRectF(x, y, shared, actionHeight));
    x += shared + 6;
    addButton(
        floor.title, [floor](QPainter& p, const QRectF& r) { floor.paint(p, r); },
        [this] { moveToFloor(); }, QRectF(x, y, floorWidth, actionHeight))
        ->gestures()
        .setToolTip(QStringLiteral("Keluarkan foto ke lantai rumput"));
    x += floorWidth + 6;
    addButton(
        QStringLiteral("trash"), [trash](QPainter& p, const QRectF& r) { trash.paint(p, r); },
        [this] { removePhoto(); }, QRectF(x, y, trashWidth, actionHeight));
    setSize(QSizeF(kWidth, y + actionHeight));
    showValues();
}

void PhotoFrameQuickView::showValues()
{
    if (m_zoom && m_rotation) {
        // Shown, not chosen: a stored 270 degrees sits at the slider's end without being
        // saved back as 180.
        const PhotoTransform t = transform();
        const QSignalBlocker zoomBlock(m_zoom);
        const QSignalBlocker rotationBlock(m_rotation);
        m_zoom->setValue(stepForZoom(t.scale));
        m_rotation->setValue(stepForRotation(t.rotation));
    }
    update();
}

void PhotoFrameQuickView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    if (!showsPhoto()) {
        p.setFont(Units::systemFont(11));
        p.setPen(Colors::secondaryLabel());
        p.drawText(m_emptyText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QStringLiteral("Bingkai ini belum memiliki foto."));
        return;
    }
    const PhotoTransform t = transform();
    const QImage image = m_storage.cachedPhotos().value(m_slot);
    const QPainterPath previewShape = Painting::continuousRoundedRect(m_preview, 6);
    p.save();
    p.setClipPath(previewShape, Qt::IntersectClip);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(m_preview.center() + QPointF(t.offsetX, t.offsetY) * kPreviewOffsetScale);
    if (std::isfinite(t.rotation))
        p.rotate(t.rotation);
    if (std::isfinite(t.scale))
        p.scale(t.scale, t.scale);
    const QRectF centred(QPointF(-kPreviewSize.width() / 2, -kPreviewSize.height() / 2),
                         kPreviewSize);
    p.drawImage(Painting::aspectFillRect(image.size(), centred), image);
    p.restore();
    p.save();
    p.setClipPath(previewShape, Qt::IntersectClip);
    p.fillRect(m_preview,
               Painting::diagonalGradient(
                   m_preview, {Colors::white(0.2), Colors::white(0.02), Qt::transparent}));
    p.restore();
    p.strokePath(previewShape, QPen(Colors::black(0.12), 1));

    p.fillPath(Painting::continuousRoundedRect(m_controls, 6), Colors::black(0.03));
    const qreal rowHeight = 18;
    const QRectF zoomIcon(6, m_controls.top() + 6 + 4, 10, 10);
    Symbols::paint(p, QStringLiteral("magnifyingglass"), zoomIcon, Colors::secondaryLabel());
    Symbols::paint(p, QStringLiteral("arrow.triangle.2.circlepath"),
                   zoomIcon.translated(0, rowHeight + 6), Colors::secondaryLabel());
    QFont mono = Units::systemFont(9.5, QFont::Bold);
    mono.setStyleHint(QFont::Monospace);
    mono.setFamily(QStringLiteral("DejaVu Sans Mono"));
    p.setFont(mono);
    p.setPen(Colors::primaryLabel());
    p.drawText(m_zoomText, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
               zoomText(t.scale));
    p.setFont(Units::systemFont(9, QFont::DemiBold));
    p.setPen(Colors::secondaryLabel());
    p.drawText(QRectF(6, m_controls.top() + 6 + 2 * (rowHeight + 6), 60, rowHeight),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QStringLiteral("Geser:"));

    p.setFont(Units::systemFont(8.5));
    p.setPen(Colors::withOpacity(Colors::primaryLabel(), 0.3));
    p.drawText(m_tips, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kTips);
    p.fillRect(QRectF(0, m_divider, kWidth, 1),
               Colors::withOpacity(Colors::primaryLabel(), 0.2 * 0.25));
}
