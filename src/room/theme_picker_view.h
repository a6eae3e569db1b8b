#pragma once

#include "kit/button_item.h"
#include "kit/painting.h"
#include "kit/room_item.h"
#include "state/room_theme.h"

#include <functional>

class AssetLoader;

// One theme in the picker: its background as a preview (grey where the image is missing),
// its name and description, outlined in blue when it is the current theme.
class ThemeCardView : public ButtonItem {
    Q_OBJECT
public:
    ThemeCardView(RoomTheme theme, bool isSelected, std::function<void()> onSelect,
                  AssetLoader& assets, QGraphicsItem* parent = nullptr);

    static constexpr QSizeF kSize{260, 240};

    RoomTheme theme() const { return m_theme; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

private:
    void draw(QPainter& painter, const QRectF& rect);

    RoomTheme m_theme;
    bool m_selected;
    AssetLoader& m_assets;
    ShapeShadow m_shadow;
};

// The sheet in which the room's theme is chosen. It reads and writes the two values its
// host binds it to: choosing a card sets the theme and leaves the sheet open; the close
// symbol and "Selesai" close it and change nothing else.
class ThemePickerView : public RoomItem {
    Q_OBJECT
public:
    struct Bindings {
        std::function<RoomTheme()> currentTheme;
        std::function<void(RoomTheme)> setCurrentTheme;
        std::function<void(bool)> setPresented;
    };

    ThemePickerView(Bindings bindings, AssetLoader& assets, QGraphicsItem* parent = nullptr);

    static constexpr qreal kWidth = 320;

    QList<ThemeCardView*> cards() const { return m_cards; }
    ButtonItem* closeButton() const { return m_close; }
    ButtonItem* doneButton() const { return m_done; }
    // Marks the card of the current theme again (after the theme changed elsewhere).
    void refresh();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void layout();

    Bindings m_bindings;
    QList<ThemeCardView*> m_cards;
    ButtonItem* m_close = nullptr;
    ButtonItem* m_done = nullptr;
    qreal m_subtitleTop = 0;
    qreal m_subtitleHeight = 0;
    qreal m_dividerY = 0;
    qreal m_headerHeight = 0;
};
