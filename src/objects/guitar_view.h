#pragma once

#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "kit/room_item.h"
#include "state/active_desktop_quick_view.h"

#include <functional>

class AppState;

// A guitar on its stand: a still drawing, a single click that opens or closes the guitar's
// card and a double click that starts a music program. Its frame stands over the shelf and
// the photo wall: it takes the clicks only where the guitar and its stand are drawn, and its
// flames follow the guitar's drawn outline (body, neck and headstock).
class GuitarView : public RoomItem {
    Q_OBJECT
public:
    // What opens a music program; the room's is AppLauncher's music chain.
    using Opener = std::function<void()>;
    static void openMusicApp();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    const DrawingCache& drawingCache() const { return m_cache; }

protected:
    struct Look {
        // The floor shadow's centre and size as fractions of the frame.
        QPointF shadowCentre;
        QSizeF shadowSize;
        // The shadow the guitar casts.
        ShadowStyle canvasShadow;
        void (*paint)(QPainter&, QSizeF);
        QPainterPath (*outline)(QSizeF);
        QPainterPath (*standOutline)(QSizeF);
    };
    GuitarView(AppState& appState, ActiveDesktopQuickView card, Look look, Opener openMusic,
               QGraphicsItem* parent);

protected:
    void onSizeChanged() override;

private:
    void paintGuitar(QPainter& painter) const;

    AppState& m_appState;
    ActiveDesktopQuickView m_card;
    Look m_look;
    DrawingCache m_cache;
};

class AcousticGuitarView : public GuitarView {
    Q_OBJECT
public:
    explicit AcousticGuitarView(AppState& appState, Opener openMusic = &GuitarView::openMusicApp,
                                QGraphicsItem* parent = nullptr);
};

class StratocasterGuitarView : public GuitarView {
    Q_OBJECT
public:
    explicit StratocasterGuitarView(AppState& appState,
                                    Opener openMusic = &GuitarView::openMusicApp,
                                    QGraphicsItem* parent = nullptr);
};
