#pragma once

#include "kit/fitted_text.h"
#include "kit/painting.h"
#include "kit/room_item.h"
#include "wall/portrait_drawing.h"

class AppState;

// One of the two framed official portraits beside the wall clock: a wooden frame with a
// gilt border, a mat, the drawn picture behind glass and a brass nameplate. A click on
// either portrait sets the room on fire, or puts the fire out. The portrait looks the same
// either way; only its tool tip follows the fire.
class PresidentialPortraitView : public RoomItem {
    Q_OBJECT
public:
    PresidentialPortraitView(PresidentialPortraitType type, AppState& appState,
                             QGraphicsItem* parent = nullptr);

    PresidentialPortraitType portraitType() const { return m_type; }

    static QString personName(PresidentialPortraitType type);
    static QString officeTitle(PresidentialPortraitType type);
    static QString nameplateName(PresidentialPortraitType type);
    static QString shortTitle(PresidentialPortraitType type);
    // The tool tip while the fire burns or not.
    static QString helpText(PresidentialPortraitType type, bool fireActive);

    void toggleFireMode();

    // The picture's opening and the nameplate in a portrait of `size`; never negative.
    static QRectF pictureRect(const QSizeF& size);
    static QRectF nameplateRect(const QSizeF& size);
    // The nameplate's name on one line `width` wide: shrunk down to 70 % before it is cut.
    static FittedText::Layout nameplateLayout(PresidentialPortraitType type, qreal width);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void updateHelp();
    void paintNameplate(QPainter& p, const QRectF& plate);

    PresidentialPortraitType m_type;
    AppState& m_appState;
    ShapeShadow m_shadow;
};
