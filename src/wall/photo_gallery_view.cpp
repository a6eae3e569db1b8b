#include "wall/photo_gallery_view.h"

#include "kit/colors.h"
#include "kit/room_geometry.h"
#include "wall/photo_frame_item_view.h"

#include <algorithm>

namespace {
struct FrameSpec {
    qreal width;
    qreal height;
    bool isOval;
    QColor frameColor;
    QColor innerBevel;
};

// Slot by slot: three rows of two, left then right.
std::array<FrameSpec, PhotoGalleryView::kFrameCount> frameSpecs()
{
    using Colors::srgb;
    return {{
        {170, 128, false, srgb(0.68, 0.50, 0.32), srgb(0.82, 0.65, 0.44)},
        {120, 138, true, srgb(0.22, 0.16, 0.12), srgb(0.38, 0.28, 0.20)},
        {120, 138, true, srgb(0.16, 0.14, 0.13), srgb(0.32, 0.30, 0.28)},
        {170, 128, false, srgb(0.46, 0.28, 0.16), srgb(0.62, 0.40, 0.24)},
        {170, 124, false, srgb(0.58, 0.40, 0.24), srgb(0.74, 0.54, 0.34)},
        {120, 124, false, srgb(0.24, 0.18, 0.14), srgb(0.40, 0.30, 0.22)},
    }};
}

constexpr qreal kPadding = 6;
constexpr qreal kRowSpacing = 12;
constexpr qreal kColumnSpacing = 14;
} // namespace

PhotoGalleryView::PhotoGalleryView(StorageManager& storage, AppState& appState,
                                   QGraphicsItem* parent)
    : RoomItem(parent)
{
    setFlag(ItemHasNoContents);
    m_content = new RoomItem(this);
    m_content->setFlag(ItemHasNoContents);
    m_content->setSize(kContentSize);

    const auto specs = frameSpecs();
    qreal top = kPadding;
    for (int row = 0; row < 3; ++row) {
        const FrameSpec& left = specs[size_t(2 * row)];
        const FrameSpec& right = specs[size_t(2 * row + 1)];
        const qreal rowHeight = std::max(left.height, right.height);
        qreal x = kPadding;
        for (int column = 0; column < 2; ++column) {
            const int slot = 2 * row + column;
            const FrameSpec& spec = specs[size_t(slot)];
            auto* frame = new PhotoFrameItemView(
                storage, appState, slot,
                {QSizeF(spec.width, spec.height), spec.isOval, spec.frameColor, spec.innerBevel},
                m_content);
            frame->setPos(x, top + (rowHeight - spec.height) / 2);
            m_frames[size_t(slot)] = frame;
            x += spec.width + kColumnSpacing;
        }
        top += rowHeight + kRowSpacing;
    }
}

qreal PhotoGalleryView::contentScale() const
{
    // The drop target reaches this far beyond the wall's rectangle on every side.
    const qreal room = 2 * RoomGeometry::kTargetMargin;
    return std::clamp(std::min((size().width() + room) / kContentSize.width(),
                               (size().height() + room) / kContentSize.height()),
                      qreal(0.01), qreal(1));
}

void PhotoGalleryView::onSizeChanged()
{
    const qreal scale = contentScale();
    m_content->setTransform(QTransform::fromScale(scale, scale));
    m_content->setPos((size().width() - scale * kContentSize.width()) / 2,
                      (size().height() - scale * kContentSize.height()) / 2);
}
