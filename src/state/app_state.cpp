#include "state/app_state.h"

#include "platform/power_profile_monitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSettings>

namespace {
const QString kThemeKey = QStringLiteral("theme");
const QString kLampOnKey = QStringLiteral("lampOn");
const QString kMonitorKey = QStringLiteral("isMonitorScreenOn");

bool readBool(QSettings* settings, const QString& key)
{
    if (!settings || !settings->contains(key))
        return true;
    return settings->value(key).toBool();
}
} // namespace

AppState::AppState(QSettings* settings, PowerProfileMonitor* power, QObject* parent)
    : QObject(parent), m_settings(settings)
{
    if (m_settings) {
        const QString raw = m_settings->value(kThemeKey, QStringLiteral("library")).toString();
        m_currentTheme = RoomTheme::fromRawValue(raw).value_or(RoomTheme::library());
    }
    m_lampOn = readBool(m_settings, kLampOnKey);
    m_isMonitorScreenOn = readBool(m_settings, kMonitorKey);

    if (power) {
        setLowPower(power->isLowPower());
        connect(power, &PowerProfileMonitor::lowPowerChanged, this,
                [this, power] { setLowPower(power->isLowPower()); });
    }
}

AppState::~AppState() = default;

AppState& AppState::shared()
{
    // Created on first use on the GUI thread and kept until exit.
    static AppState* instance = [] {
        auto* settings = new QSettings(QStringLiteral("Pondsill"), QStringLiteral("Pondsill"),
                                       QCoreApplication::instance());
        auto* power =
            new PowerProfileMonitor(QDBusConnection::systemBus(), QCoreApplication::instance());
        return new AppState(settings, power, QCoreApplication::instance());
    }();
    return *instance;
}

void AppState::setCurrentTheme(const RoomTheme& theme)
{
    m_currentTheme = theme;
    Q_EMIT currentThemeChanged();
    writePreference(kThemeKey, theme.rawValue());
}

void AppState::setLampOn(bool on)
{
    m_lampOn = on;
    Q_EMIT lampOnChanged();
    writePreference(kLampOnKey, on);
}

void AppState::setMonitorScreenOn(bool on)
{
    m_isMonitorScreenOn = on;
    Q_EMIT isMonitorScreenOnChanged();
    writePreference(kMonitorKey, on);
}

void AppState::writePreference(const QString& key, const QVariant& value)
{
    if (!m_settings)
        return;
    m_settings->setValue(key, value);
    m_settings->sync(); // a preference must survive a crash right after it was chosen
}

void AppState::toggleQuickView(const ActiveDesktopQuickView& view)
{
    if (m_activeQuickView && *m_activeQuickView == view) {
        withAnimation(quickViewCloseSpring, [this] { setActiveQuickView(std::nullopt); });
        return;
    }
    withoutAnimation([this] {
        setActiveShelfPopoverURL(std::nullopt);
        setShowSpotifyPopup(false);
        setShowBookshelfDrawer(false);
        setShowThemePicker(false);
    });
    withAnimation(quickViewOpenSpring, [this, &view] { setActiveQuickView(view); });
}

void AppState::toggleFireMode()
{
    withAnimation(fireModeAnimation, [this] { setFireModeActive(!m_isFireModeActive); });
}

void AppState::clearDropTargets()
{
    setBookshelfTargeted(false);
    setTrashTargeted(false);
    setTargetedPhotoSlot(std::nullopt);
}
