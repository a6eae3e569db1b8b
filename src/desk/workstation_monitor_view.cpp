#include "desk/workstation_monitor_view.h"

#include "desk/monitor_drawing.h"
#include "platform/file_manager_reveal.h"
#include "room/asset_loader.h"
#include "state/app_state.h"

#include <QDir>
#include <QMenu>

namespace {
// A layer faded to `opacity`, and left out of painting altogether once it is gone.
void showAt(QGraphicsItem* layer, qreal opacity)
{
    layer->setOpacity(opacity);
    layer->setVisible(opacity > 0);
}
} // namespace

WorkstationMonitorView::WorkstationMonitorView(AppState& appState, FileManagerReveal& reveal,
                                               AssetLoader& assets, QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_reveal(reveal),
      m_desktop(appState.isMonitorScreenOn() ? 1 : 0,
                [this] { showAt(m_desktopLayer, m_desktop.value()); }),
      m_alert(appState.isFireModeActive() ? 1 : 0,
              [this] { showAt(m_alertLayer, m_alert.value()); })
{
    setSize(MonitorDrawing::kSize);
    setPaintMargins(QMarginsF(10, 8, 10, 12));
    new MonitorLayer(MonitorLayer::Kind::Body, this);
    m_desktopLayer = new MonitorLayer(MonitorLayer::Kind::Desktop, this);
    // The room's wallpaper; without it the screen shows the drawn gradient.
    m_desktopLayer->setWallpaper(assets.image(QStringLiteral("walpaper")));
    m_alertLayer = new MonitorLayer(MonitorLayer::Kind::FireAlert, this);
    // The glass is drawn at full strength whether the screen is on or off.
    new MonitorLayer(MonitorLayer::Kind::Glass, this);
    showAt(m_desktopLayer, m_desktop.value());
    showAt(m_alertLayer, m_alert.value());

    Gestures& g = gestures();
    g.onDoubleTap([this] { openFinderHome(); });
    g.onTap([this] { toggleScreen(); });
    g.setContextMenu([this](QMenu& menu) {
        Gestures::addMenuAction(menu,
                                m_appState.isMonitorScreenOn()
                                    ? QStringLiteral("Matikan Layar Komputer")
                                    : QStringLiteral("Nyalakan Layar Komputer"),
                                [this] { toggleScreen(); });
        Gestures::addMenuAction(menu, QStringLiteral("Buka Info Sistem & Spesifikasi Mac"),
                                [this] { showSystemInfoCard(); });
        menu.addSeparator();
        Gestures::addMenuAction(menu, QStringLiteral("Buka Finder"), [this] { openFinderHome(); });
    });
    g.setToolTip(helpText());

    connect(&m_appState, &AppState::isMonitorScreenOnChanged, this, [this] {
        m_desktop.set(m_appState.isMonitorScreenOn() ? 1 : 0);
        gestures().setToolTip(helpText());
    });
    connect(&m_appState, &AppState::isFireModeActiveChanged, this,
            [this] { m_alert.set(m_appState.isFireModeActive() ? 1 : 0); });
}

QString WorkstationMonitorView::helpText() const
{
    return m_appState.isMonitorScreenOn()
               ? QStringLiteral("Layar iMac: Klik 1x untuk mematikan layar, klik 2x untuk buka "
                                "Finder")
               : QStringLiteral("Layar iMac: Klik 1x untuk menyalakan layar");
}

void WorkstationMonitorView::toggleScreen()
{
    withAnimation(Animation::easeInOut(0.25),
                  [this] { m_appState.setMonitorScreenOn(!m_appState.isMonitorScreenOn()); });
}

void WorkstationMonitorView::openFinderHome()
{
    m_reveal.showItems({QDir::homePath()});
}

void WorkstationMonitorView::showSystemInfoCard()
{
    m_appState.toggleQuickView(ActiveDesktopQuickView::monitor());
}
