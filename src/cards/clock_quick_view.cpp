#include "cards/clock_quick_view.h"

#include "kit/colors.h"
#include "kit/formats.h"
#include "kit/symbols.h"
#include "platform/app_launcher.h"

#include <QLocale>
#include <QPainter>
#include <QTimer>

#include <cstdlib>

namespace {
using Formats::indonesian;

// A zone's own abbreviation, or nothing where the zone database has only its offset
// ("+07", "UTC+03:00").
QString realAbbreviation(const QTimeZone& zone, const QDateTime& moment)
{
    const QString a = zone.abbreviation(moment);
    if (a.isEmpty() || a.startsWith(QLatin1Char('+')) || a.startsWith(QLatin1Char('-')) ||
        (a.startsWith(QLatin1String("UTC")) && a.size() > 3) ||
        (a.startsWith(QLatin1String("GMT")) && a.size() > 3))
        return {};
    return a;
}
} // namespace

ClockQuickView::ClockQuickView(std::function<void()> onClose, Clock now, QGraphicsItem* parent)
    : DesktopQuickViewCard(QStringLiteral("Jam Dinding"), QStringLiteral("clock.fill"),
                           Colors::srgb(0.88, 0.35, 0.28), 260, onClose, parent),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); }))
{
    m_moment = m_now();
    const qreal w = contentWidth();
    const DesignFont timeFont = DesignFont::system(28, QFont::Bold);
    m_time = new PaintedItem(QSizeF(w, CardPainting::lineHeight(timeFont)),
                             [this, timeFont](QPainter& painter, const QRectF& rect) {
                                 CardPainting::text(painter, rect, timeFont, Colors::primaryLabel(),
                                                    timeText(m_moment));
                             });
    const DesignFont dateFont = DesignFont::system(11, QFont::Medium);
    m_date =
        new PaintedItem(QSizeF(w, CardPainting::lineHeight(dateFont)),
                        [this, dateFont](QPainter& painter, const QRectF& rect) {
                            CardPainting::text(painter, rect, dateFont, Colors::secondaryLabel(),
                                               dateText(m_moment.date()));
                        });
    const DesignFont zoneFont = DesignFont::system(10);
    m_zone = new PaintedItem(QSizeF(w, CardPainting::lineHeight(zoneFont)),
                             [this, zoneFont](QPainter& painter, const QRectF& rect) {
                                 const QColor color = Colors::tertiaryLabel();
                                 Symbols::paint(painter, QStringLiteral("globe"),
                                                QRectF(rect.left(), rect.center().y() - 6, 12, 12),
                                                color);
                                 CardPainting::text(painter, rect.adjusted(16, 0, 0, 0), zoneFont,
                                                    color, zoneText(m_moment.timeZone(), m_moment));
                             });
    addRow(m_time);
    addRow(m_date);
    addRow(m_zone);
    addActionFooter(
        Colors::system(Colors::System::Blue), QStringLiteral("arrow.up.forward.app.fill"),
        QStringLiteral("Buka Aplikasi Jam"), [onClose] { openClockApp(onClose); },
        QStringLiteral("💡 Tips: Klik 2x pada jam dinding untuk langsung membuka"));

    // Once a second while the card exists, whatever the power mode.
    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &ClockQuickView::tick);
    m_timer->start();
}

bool ClockQuickView::isTicking() const
{
    return m_timer->isActive();
}

void ClockQuickView::tick()
{
    const QDateTime moment = m_now();
    const bool newDay = moment.date() != m_moment.date();
    m_moment = moment;
    m_time->update();
    if (newDay) {
        m_date->update();
        m_zone->update();
    }
}

QString ClockQuickView::timeText(const QDateTime& moment)
{
    return moment.time().toString(QStringLiteral("HH:mm:ss"));
}

QString ClockQuickView::dateText(const QDate& date)
{
    return indonesian().toString(date, QStringLiteral("dddd, d MMMM yyyy"));
}

QString ClockQuickView::zoneText(const QTimeZone& zone, const QDateTime& moment)
{
    QString name = realAbbreviation(zone, moment);
    if (name.isEmpty()) {
        const int offset = zone.offsetFromUtc(moment);
        if (offset == 7 * 3600) {
            name = QStringLiteral("WIB");
        } else {
            const int minutes = std::abs(offset) / 60;
            name = QStringLiteral("UTC") + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
                   QString::number(minutes / 60);
            if (minutes % 60 != 0)
                name += QLatin1Char(':') +
                        QStringLiteral("%1").arg(minutes % 60, 2, 10, QLatin1Char('0'));
        }
    }
    return QString::fromUtf8(zone.id()) + QStringLiteral(" (") + name + QLatin1Char(')');
}

void ClockQuickView::openClockApp(const std::function<void()>& onClose)
{
    AppLauncher::launch(AppLauncher::Target::ClockApp);
    if (onClose)
        onClose();
}
