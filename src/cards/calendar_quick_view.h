#pragma once

#include "cards/quick_view_card.h"

#include <QDate>

// The wall calendar's card: the month and year, today's day, a strip of the seven days
// round today and a button that opens a calendar program. It shows the day it was made
// on; it keeps no timer.
class CalendarQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    explicit CalendarQuickView(std::function<void()> onClose, QDate today = {},
                               QGraphicsItem* parent = nullptr);

    struct Day {
        QDate date;
        bool isToday = false;
    };
    // Three days before `today`, today and three after, one per calendar day.
    static QList<Day> strip(const QDate& today);
    // "Agustus 2025": the month of `today` and its year, in Indonesian.
    static QString monthYearText(const QDate& today);
    // "Hari ini tgl 5".
    static QString todayText(const QDate& today);
    // The weekday's one-letter Indonesian name.
    static QString narrowWeekday(const QDate& date);

    // Opens a calendar program (or the default application for calendar files), then
    // closes the card.
    static void openCalendarApp(const std::function<void()>& onClose);
};
