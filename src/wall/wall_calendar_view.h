#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"
#include "kit/time_line.h"

#include <QDate>
#include <QDateTime>

#include <optional>

class AnalogWallClockView;
class AppState;

// A small tear-off wall calendar: a dark header with two brass eyelets, a red band with the
// month and year, and the page with the day and the weekday over two sheets peeking out
// below. It looks at the date once a minute and redraws when the day has changed. A click
// opens the calendar card, a double click a calendar program.
class WallCalendarView : public RoomItem {
    Q_OBJECT
public:
    explicit WallCalendarView(AppState& appState,
                              std::optional<QDateTime> overrideDate = std::nullopt,
                              QGraphicsItem* parent = nullptr);

    // The page's texts: month, year and weekday always in Indonesian, the day in the
    // user's own locale.
    static QString monthText(const QDate& date);
    static QString yearText(const QDate& date);
    static QString weekdayText(const QDate& date);
    static QString dayText(const QDate& date);

    QDate shownDate() const;
    const TimeLine& timeLine() const { return m_timeLine; }

    void hoverChanged(bool inside);
    void showQuickView();
    static void openCalendarApp();
    void populateContextMenu(QMenu& menu);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void checkDay();

    AppState& m_appState;
    std::optional<QDateTime> m_overrideDate;
    TimeLine m_timeLine;
    QDate m_paintedDay;
    ShapeShadow m_shadow;
};

// The wall clock over a wall calendar, 12 points apart, sharing the height between them.
class WallClockCalendarView : public RoomItem {
    Q_OBJECT
public:
    explicit WallClockCalendarView(AppState& appState, QGraphicsItem* parent = nullptr);

    AnalogWallClockView* clock() const { return m_clock; }
    WallCalendarView* calendar() const { return m_calendar; }

protected:
    void onSizeChanged() override;

private:
    AnalogWallClockView* m_clock;
    WallCalendarView* m_calendar;
};
