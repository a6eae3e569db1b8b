#include "cards/calendar_quick_view.h"

#include "kit/colors.h"
#include "kit/formats.h"
#include "kit/painting.h"
#include "platform/app_launcher.h"

#include <QLocale>
#include <QPainter>

using Formats::indonesian;

CalendarQuickView::CalendarQuickView(std::function<void()> onClose, QDate today,
                                     QGraphicsItem* parent)
    : DesktopQuickViewCard(QStringLiteral("Kalender"), QStringLiteral("calendar"),
                           Colors::srgb(0.85, 0.25, 0.22), 260, onClose, parent)
{
    if (!today.isValid())
        today = QDate::currentDate();
    const qreal w = contentWidth();
    const DesignFont monthFont = DesignFont::system(13, QFont::Bold);
    const DesignFont todayFont = DesignFont::system(10, QFont::DemiBold);
    addRow(new PaintedItem(
        QSizeF(w, CardPainting::lineHeight(monthFont)), [=](QPainter& painter, const QRectF& rect) {
            CardPainting::text(painter, rect, todayFont, Colors::system(Colors::System::Red),
                               todayText(today), Qt::AlignRight | Qt::AlignVCenter);
            const qreal right = todayFont.horizontalAdvance(todayText(today));
            CardPainting::text(painter, rect.adjusted(0, 0, -right - 8, 0), monthFont,
                               Colors::primaryLabel(), monthYearText(today));
        }));

    const DesignFont weekdayFont = DesignFont::system(9, QFont::Medium);
    const QList<Day> days = strip(today);
    const qreal stripHeight = 4 + CardPainting::lineHeight(weekdayFont) + 2 + 24 + 4;
    addRow(new PaintedItem(QSizeF(w, stripHeight), [=](QPainter& painter, const QRectF& rect) {
        painter.fillPath(Painting::continuousRoundedRect(rect, 6), Colors::black(0.04));
        const qreal spacing = 4;
        const qreal cell = (rect.width() - spacing * (days.size() - 1)) / days.size();
        for (qsizetype i = 0; i < days.size(); ++i) {
            const Day& day = days[i];
            const qreal x = rect.left() + i * (cell + spacing);
            const QRectF letter(x, rect.top() + 4, cell, CardPainting::lineHeight(weekdayFont));
            CardPainting::text(painter, letter, weekdayFont,
                               day.isToday ? Colors::system(Colors::System::Red)
                                           : Colors::secondaryLabel(),
                               narrowWeekday(day.date), Qt::AlignCenter);
            const QRectF number(x + (cell - 24) / 2, letter.bottom() + 2, 24, 24);
            if (day.isToday)
                painter.fillPath(Painting::capsule(number), Colors::system(Colors::System::Red));
            const DesignFont font =
                DesignFont::system(11, day.isToday ? QFont::Bold : QFont::Normal);
            CardPainting::text(painter, number, font,
                               day.isToday ? Colors::white() : Colors::primaryLabel(),
                               QString::number(day.date.day()), Qt::AlignCenter);
        }
    }));
    addActionFooter(
        Colors::system(Colors::System::Red), QStringLiteral("arrow.up.forward.app.fill"),
        QStringLiteral("Buka Apple Calendar"), [onClose] { openCalendarApp(onClose); },
        QStringLiteral("💡 Tips: Klik 2x pada kalender dinding untuk langsung membuka"));
}

QList<CalendarQuickView::Day> CalendarQuickView::strip(const QDate& today)
{
    QList<Day> days;
    for (int offset = -3; offset <= 3; ++offset) {
        const QDate date = today.addDays(offset);
        if (date.isValid())
            days.append(Day{date, offset == 0});
    }
    return days;
}

QString CalendarQuickView::monthYearText(const QDate& today)
{
    return indonesian().toString(today, QStringLiteral("MMMM yyyy"));
}

QString CalendarQuickView::todayText(const QDate& today)
{
    return QStringLiteral("Hari ini tgl ") + QString::number(today.day());
}

QString CalendarQuickView::narrowWeekday(const QDate& date)
{
    return indonesian().dayName(date.dayOfWeek(), QLocale::NarrowFormat);
}

void CalendarQuickView::openCalendarApp(const std::function<void()>& onClose)
{
    AppLauncher::launch(AppLauncher::Target::CalendarApp);
    if (onClose)
        onClose();
}
