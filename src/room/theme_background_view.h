#pragma once

#include "kit/room_item.h"
#include "room/room_picture_store.h"
#include "state/room_theme.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QTransform>

#include <optional>

class AssetLoader;

// The bottom layer of the room: the theme's background image, or, while that image is
// missing, a drawn room of a striped blue wall with a brown rail and wainscot above a wooden
// floor. The picture carries the cork board and the bookshelf's cabinet; the drawn room has
// neither. Where the theme's picture is the room's own drawing (kit/room_picture.h) and the
// window is not the size the program carries it at, the room is drawn for the window's own
// size, so the cork board and the cabinet's boards lie where the layout puts the corkboard
// and the shelf's rows: read from the user's cache when drawn before
// (room/room_picture_store.h), else drawn on the background pool while the carried picture,
// scaled to fill, stands in, then kept. Any other picture is scaled to fill the window (its
// "@2x" twin when the window has more pixels than it). Laid once per size and theme into an
// opaque picture of device pixels, which every repaint over it copies: nothing lies under it
// to blend with.
class ThemeBackgroundView : public RoomItem {
    Q_OBJECT
public:
    explicit ThemeBackgroundView(RoomTheme theme, AssetLoader& assets,
                                 QGraphicsItem* parent = nullptr);

    void setTheme(RoomTheme theme);
    RoomTheme theme() const { return m_theme; }

    // The drawn room for a window of `size`, as rectangles to fill.
    struct FallbackRoom {
        QRectF wall;
        QList<QRectF> stripes; // all of them, dark and clear alternating, dark first
        QRectF rail;
        QRectF wainscot;
        QList<QRectF> panels;
        QRectF floor;
        QRectF shadowLine;
        QRectF boards;
        QList<QRectF> seams;
    };
    static FallbackRoom fallbackRoom(QSizeF size);
    static QColor brown(qreal opacity = 1);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // Where the room's own picture drawn for a size is kept; the user's cache folder unless
    // set (tests and tools use a folder of their own).
    void setPictureStore(const RoomPictureStore& store);
    // Whether the room shows its picture as drawn for its own size and pixel ratio (true
    // too where nothing needs drawing: the carried size, a picture not of our drawing; and
    // where the drawing could not be made, so the stand-in stays).
    bool showsPictureForSize() const;

Q_SIGNALS:
    // The picture drawn for the room's size has arrived and replaced the stand-in.
    void pictureForSizeShown();

private:
    struct SizedKey {
        QSizeF room;
        qreal ratio = 0;
        QString theme;
        friend bool operator==(const SizedKey&, const SizedKey&) = default;
    };
    // The room's size, ratio and theme when its own drawing must be made for them, else
    // nothing (no picture of ours, or the carried size).
    std::optional<SizedKey> sizedKey(qreal ratio) const;
    // The picture drawn for `key`: kept already, read from the store, or asked of the pool.
    const QImage* pictureFor(const SizedKey& key);
    void drawInBackground(const SizedKey& key);
    const RoomPictureStore& store();

    // The theme's picture itself where it would be copied one pixel to one over the whole
    // of `pixels` (the window is the picture's size): kept as it was decoded, shared with the
    // asset cache, rather than drawn again into a second picture. Null otherwise.
    QImage pictureLyingWhole(const QTransform& device, const QRect& pixels);
    void paintRoom(QPainter& painter) const;
    void paintFallback(QPainter& painter) const;

    RoomTheme m_theme;
    AssetLoader& m_assets;
    QImage m_picture; // opaque, in device pixels; null until drawn
    QTransform m_pictureDevice;
    QRectF m_pictureRect;
    QPainter::RenderHints m_pictureHints;
    QPoint m_pictureAt;

    std::optional<RoomPictureStore> m_store; // made for the theme when first needed
    bool m_storeGiven = false;
    SizedKey m_sizedKey;              // what m_sized was drawn for
    QImage m_sized;                   // the room's own drawing for a size, in device pixels
    std::optional<SizedKey> m_wanted; // the size the view last needed a picture for
    bool m_drawing = false;
    std::optional<SizedKey> m_failed; // the size whose drawing could not be made
};
