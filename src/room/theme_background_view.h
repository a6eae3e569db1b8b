#pragma once

#include "kit/room_item.h"
#include "state/room_theme.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QTransform>

class AssetLoader;

// The bottom layer of the room: the theme's background image scaled to fill the window (its
// "@2x" twin when the window has more pixels than the picture), or, while that image is
// missing, a drawn room of a striped blue wall with a brown rail and wainscot above a wooden
// floor. The picture carries the cork board and the bookshelf's cabinet; the drawn room has
// neither. Drawn once per size and theme into an opaque picture of device pixels, which
// every repaint over it copies: nothing lies under it to blend with.
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

private:
    // The theme's picture itself where it would be copied one pixel to one over the whole
    // of `pixels` (the window is the picture's size): kept as it was decoded, shared with the
    // asset cache, rather than drawn again into a second picture. Null otherwise.
    QImage pictureLyingWhole(const QTransform& device, const QRect& pixels) const;
    void paintRoom(QPainter& painter) const;
    void paintFallback(QPainter& painter) const;

    RoomTheme m_theme;
    AssetLoader& m_assets;
    QImage m_picture; // opaque, in device pixels; null until drawn
    QTransform m_pictureDevice;
    QRectF m_pictureRect;
    QPainter::RenderHints m_pictureHints;
    QPoint m_pictureAt;
};
