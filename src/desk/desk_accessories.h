#pragma once

#include "kit/button_item.h"
#include "kit/painting.h"
#include "kit/room_item.h"

#include <QUrl>

#include <functional>

// Small drawn objects for a desk: the letter envelope that opens the mail program, a
// drawer front, a standing fan and a water dispenser. Only the alternative desk shows the
// envelope and the drawer; the room places none of them.

// Opens the mail program: the desktop's handler of "mailto:" as GIO knows it; where GIO
// knows none, "mailto:" goes to `handOver` (the desktop's own opener; its answer is not
// looked at). True when GIO started a handler.
bool openMail(const std::function<void(const QUrl&)>& handOver = {});

// A tilted envelope with an "@": a button that runs `action`.
class LetterEnvelopeView : public ButtonItem {
    Q_OBJECT
public:
    explicit LetterEnvelopeView(std::function<void()> action, QGraphicsItem* parent = nullptr);

private:
    void paintEnvelope(QPainter& p, const QRectF& rect);

    ShapeShadow m_shadow;
};

// A drawer front 38 high with a brass handle, as wide as it is made.
class DrawerBox : public RoomItem {
    Q_OBJECT
public:
    DrawerBox(const QColor& color, qreal width, QGraphicsItem* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QColor m_color;
};

// A standing fan, 58 x 150, its blades still.
class StandingFanView : public RoomItem {
    Q_OBJECT
public:
    explicit StandingFanView(QGraphicsItem* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
};

// A water dispenser, 48 x 125: a blue bottle on a white cabinet with two taps.
class WaterDispenserView : public RoomItem {
    Q_OBJECT
public:
    explicit WaterDispenserView(QGraphicsItem* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    ShapeShadow m_shadow;
};
