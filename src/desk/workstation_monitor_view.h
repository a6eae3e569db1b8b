#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"

class AppState;
class AssetLoader;
class FileManagerReveal;
class MonitorLayer;

// The computer on the desk: a click turns its screen on or off (kept in the preferences),
// a double click shows the home folder in the file manager, and its menu does both and
// opens the monitor's card. In fire mode its screen shows a fire alert. Laid out at
// 175 x 170; the room scales it.
class WorkstationMonitorView : public RoomItem {
    Q_OBJECT
public:
    WorkstationMonitorView(AppState& appState, FileManagerReveal& reveal, AssetLoader& assets,
                           QGraphicsItem* parent = nullptr);

    void toggleScreen();
    void openFinderHome();
    void showSystemInfoCard();

    QString helpText() const;

private:
    AppState& m_appState;
    FileManagerReveal& m_reveal;
    MonitorLayer* m_desktopLayer = nullptr;
    MonitorLayer* m_alertLayer = nullptr;
    Animated<double> m_desktop;
    Animated<double> m_alert;
};
