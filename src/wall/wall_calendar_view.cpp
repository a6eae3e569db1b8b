#include "wall/wall_calendar_view.h"

#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/formats.h"
#include "kit/units.h"
#include "platform/app_launcher.h"
#include "state/app_state.h"
#include "wall/analog_wall_clock_view.h"

#include <QLocale>
#include <QMenu>
#include <QPainter>

namespace {
using Colors::srgb;

using Formats::indonesian;

// A sheet scaled to `widthScale` of the page's width about its bottom centre, then moved.
QRectF sheet(const QRectF& page, qreal widthScale, qreal dy)
{
    const qreal w = page.width() * widthScale;
    return QRectF(page.center().x() - w / 2, page.top() + dy, w, page.height());
}

void paintEyelet(QPainter& p, QPointF centre)
{
    const QPainterPath eyelet = Painting::circle(centre, 2.25);
    p.fillPath(eyelet.translated(0, 0.5), Colors::black(0.35));
    p.fillPath(eyelet, Painting::radialGradient(centre, 0.5, 2.5,
                                                {srgb(0.96, 0.86, 0.56), srgb(0.65, 0.50, 0.25)}));
    p.strokePath(eyelet, QPen(Colors::black(0.35), 0.5));
}
} // namespace

WallCalendarView::WallCalendarView(AppState& appState, std::optional<QDateTime> overrideDate,
                                   QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_overrideDate(std::move(overrideDate)),
      m_timeLine(appState, 60.0, 60.0)
{
    setPaintMargins(QMarginsF(8, 6, 10, 14));
    // The page changes once a day: it stays in the item cache until then.
    setCacheMode(DeviceCoordinateCache);
    gestures().onHover([this](bool inside) { hoverChanged(inside); });
    gestures().onDoubleTap([] { openCalendarApp(); });
    gestures().onTap([this] { showQuickView(); });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });
    gestures().setToolTip(QStringLiteral(
        "Kalender: Klik untuk melihat detail, klik 2x untuk buka aplikasi Kalender"));
    connect(&m_timeLine, &TimeLine::tick, this, &WallCalendarView::checkDay);
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, &WallCalendarView::checkDay);
    m_timeLine.setWanted(true);
}

QString WallCalendarView::monthText(const QDate& date)
{
    return indonesian().toString(date, QStringLiteral("MMMM")).toUpper();
}

QString WallCalendarView::yearText(const QDate& date)
{
    return indonesian().toString(date, QStringLiteral("yyyy"));
}

QString WallCalendarView::weekdayText(const QDate& date)
{
    QString text = indonesian().toString(date, QStringLiteral("dddd"));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QString WallCalendarView::dayText(const QDate& date)
{
    return QLocale().toString(date, QStringLiteral("d"));
}

QDate WallCalendarView::shownDate() const
{
    if (m_overrideDate)
        return m_overrideDate->toLocalTime().date();
    // The time line's date is that of its latest tick; between ticks the clock on the wall
    // is what counts.
    return QDateTime::currentDateTime().date();
}

void WallCalendarView::checkDay()
{
    if (shownDate() != m_paintedDay)
        update();
}

void WallCalendarView::hoverChanged(bool inside)
{
    m_appState.setHoveringWallCalendar(inside);
}

void WallCalendarView::showQuickView()
{
    m_appState.toggleQuickView(ActiveDesktopQuickView::calendar());
}

void WallCalendarView::openCalendarApp()
{
    AppLauncher::launch(AppLauncher::Target::CalendarApp);
}

void WallCalendarView::populateContextMenu(QMenu& menu)
{
    Gestures::addMenuAction(menu, QStringLiteral("Buka Kalender macOS (Calendar)"),
                            [] { openCalendarApp(); });
}

void WallCalendarView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF page = rect();
    if (page.isEmpty())
        return;
    const QDate date = shownDate();
    m_paintedDay = date;

    m_shadow.paint(p, Painting::continuousRoundedRect(page, 7),
                   ShadowStyle{Colors::black(0.3), 5, QPointF(1, 5)});
    p.fillPath(Painting::continuousRoundedRect(sheet(page, 0.97, 3), 6.5), srgb(0.88, 0.89, 0.92));
    p.fillPath(Painting::continuousRoundedRect(sheet(page, 0.985, 1.5), 6.5),
               srgb(0.93, 0.94, 0.96));

    const QPainterPath pageShape = Painting::continuousRoundedRect(page, 6);
    p.save();
    p.setClipPath(pageShape, Qt::IntersectClip);
    const qreal w = page.width();

    // Header with its eyelets.
    const QRectF header(0, 0, w, 13);
    p.fillRect(header,
               Painting::verticalGradient(header, {srgb(0.36, 0.38, 0.42), srgb(0.22, 0.24, 0.27),
                                                   srgb(0.16, 0.18, 0.20)}));
    p.fillRect(QRectF(0, 0, w, 1), Colors::white(0.4));
    paintEyelet(p, QPointF(10 + 2.25, header.center().y()));
    paintEyelet(p, QPointF(w - 10 - 2.25, header.center().y()));
    p.fillRect(QRectF(0, 13, w, 1), QColor::fromRgbF(0.12f, 0.12f, 0.12f));

    // The month band.
    const QRectF band(0, 14, w, 20);
    p.fillRect(band,
               Painting::verticalGradient(band, {srgb(0.90, 0.25, 0.19), srgb(0.78, 0.20, 0.15)}));
    const DesignFont monthFont = DesignFont::system(10, QFont::ExtraBold).tracked(1.2);
    const DesignFont yearFont = DesignFont::system(8, QFont::Bold);
    const QString year = yearText(date);
    const qreal yearWidth = yearFont.horizontalAdvance(year);
    // A narrow page cuts the month's name short rather than the year.
    const QString month =
        FittedText::elided(monthText(date), monthFont, w - 8 - 3 - yearWidth, Qt::ElideRight);
    const qreal monthWidth = monthFont.horizontalAdvance(month);
    qreal x = band.center().x() - (monthWidth + 3 + yearWidth) / 2;
    p.setPen(Colors::white());
    monthFont.drawText(p, QRectF(x, band.top(), monthWidth + 2, band.height()),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, month);
    x += monthWidth + 3;
    p.setPen(Colors::white(0.75));
    yearFont.drawText(p, QRectF(x, band.top(), yearWidth + 2, band.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, year);

    // The day.
    const QRectF area(0, band.bottom(), w, std::max(page.height() - band.bottom(), qreal(0)));
    p.fillRect(area,
               Painting::verticalGradient(
                   area, {srgb(0.99, 0.99, 1.00), srgb(0.96, 0.96, 0.98), srgb(0.92, 0.93, 0.95)}));
    const DesignFont dayFont = DesignFont::system(32, QFont::ExtraBold).tracked(-0.5);
    const DesignFont weekdayFont = DesignFont::system(10, QFont::Bold).tracked(0.5);
    // Spacers of at least 1 above and 4 below share what is left.
    const qreal content = dayFont.height() + 2 + 2 + 2 + weekdayFont.height();
    const qreal spare = std::max(area.height() - content - 5, qreal(0));
    qreal y = area.top() + 1 + spare / 2;
    p.setPen(srgb(0.12, 0.13, 0.15));
    dayFont.drawText(p, QRectF(0, y, w, dayFont.height()), Qt::AlignCenter | Qt::TextSingleLine,
                     dayText(date));
    y += dayFont.height() + 2;
    p.fillPath(Painting::capsule(QRectF(w / 2 - 8, y, 16, 2)), srgb(0.88, 0.26, 0.20, 0.85));
    y += 4;
    p.setPen(srgb(0.40, 0.42, 0.46));
    weekdayFont.drawText(p, QRectF(0, y, w, weekdayFont.height()),
                         Qt::AlignCenter | Qt::TextSingleLine, weekdayText(date));
    p.restore();

    p.strokePath(pageShape, QPen(Colors::white(0.35), 0.8));
}

WallClockCalendarView::WallClockCalendarView(AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_clock(new AnalogWallClockView(appState, std::nullopt, this)),
      m_calendar(new WallCalendarView(appState, std::nullopt, this))
{
    setFlag(ItemHasNoContents);
}

void WallClockCalendarView::onSizeChanged()
{
    const qreal each = std::max((size().height() - 12) / 2, qreal(0));
    m_clock->setPos(0, 0);
    m_clock->setSize(QSizeF(size().width(), each));
    m_calendar->setPos(0, each + 12);
    m_calendar->setSize(QSizeF(size().width(), each));
}
