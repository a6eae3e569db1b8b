#pragma once

#include "cards/quick_view_card.h"

#include <QDateTime>
#include <QTimeZone>

class QTimer;

// The wall clock's card: the time to the second, the Indonesian date, the time zone and a
// button that opens a clock program. It ticks once a second while it exists, also in
// low-power mode; the ticks stop with the card.
class ClockQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    explicit ClockQuickView(std::function<void()> onClose, Clock now = {},
                            QGraphicsItem* parent = nullptr);

    // "21:05:09": two digits each, on the 24-hour clock whatever the user prefers.
    static QString timeText(const QDateTime& moment);
    // "Minggu, 17 Agustus 2025", in Indonesian whatever the user's language.
    static QString dateText(const QDate& date);
    // "Asia/Jakarta (WIB)": the zone's name and its abbreviation at `moment`; a zone with
    // none is named by its offset ("UTC+3", "UTC+5:30"), and "WIB" only at UTC+7.
    static QString zoneText(const QTimeZone& zone, const QDateTime& moment);

    QString shownTime() const { return timeText(m_moment); }
    bool isTicking() const;

    // Opens a clock program (and nothing else), then closes the card.
    static void openClockApp(const std::function<void()>& onClose);

private:
    void tick();

    Clock m_now;
    QDateTime m_moment;
    QTimer* m_timer = nullptr;
    RoomItem* m_time = nullptr;
    RoomItem* m_date = nullptr;
    RoomItem* m_zone = nullptr;
};
