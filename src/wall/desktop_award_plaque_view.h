#pragma once

#include "kit/room_item.h"
#include "state/active_desktop_quick_view.h"

#include <QImage>

#include <optional>

class AppState;
class AssetLoader;

// One of the two award plaques standing on the desk: its picture from the room's images,
// glowing while the pointer is over it. A click opens or closes its card, a double click
// opens its SVG logo file. It takes the pointer where its picture shows (its frame's clear
// corners lie over the lamp, the monitor and the corkboard); without the picture it draws
// nothing but still takes the pointer over its whole frame.
class DesktopAwardPlaqueView : public RoomItem {
    Q_OBJECT
public:
    // The texts and file names of one plaque, shared with its card.
    struct Plaque {
        QString title;
        QString subtitle;
        QString imageName;
        QString svgFileName;
        ActiveDesktopQuickView quickViewType;
    };
    static const Plaque& quennet();
    static const Plaque& tolvane();
    // The plaque a card case names, or nothing for any other case.
    static const Plaque* plaqueFor(const ActiveDesktopQuickView& card);

    DesktopAwardPlaqueView(const Plaque& plaque, AppState& appState, AssetLoader& assets,
                           QGraphicsItem* parent = nullptr);

    const Plaque& plaque() const { return m_plaque; }
    bool isHovered() const;

    void hoverChanged(bool inside);
    void toggleQuickView();
    // Opens the logo file in its default application when it is found; nothing otherwise.
    void openLogoFile();

    static QString helpText(const QString& title);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;

private:
    void refresh();

    Plaque m_plaque;
    AppState& m_appState;
    AssetLoader& m_assets;
    bool m_paintedHover = false;
    // The picture brightened, and its glow, made once per picture and size.
    QImage m_source;
    QImage m_bright;
    QImage m_glow;
    QSizeF m_glowSize;
};
