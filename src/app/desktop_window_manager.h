#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class AppState;
class InteractiveDesktopWindow;
class QScreen;

// Owns the room window for the life of the process: builds it over the primary screen,
// refits it when the screens change, and mirrors exposure and activation into AppState,
// emptying the image caches whenever the room cannot be seen.
class DesktopWindowManager : public QObject {
    Q_OBJECT
public:
    explicit DesktopWindowManager(AppState& appState, QObject* parent = nullptr);
    ~DesktopWindowManager() override;

    static DesktopWindowManager& shared();

    // Builds and shows the room window. With no screen at all no window is made.
    void createWindow();
    InteractiveDesktopWindow* window() const;

    // Shows and raises the room window, or hides it (it is never closed).
    void showRoom();
    void hideRoom();
    bool isRoomShown() const;

    // Runs `work` once the room's first frame is on screen (or at once when there is no
    // room window, or after a second at most if the room is never exposed): what the first
    // frame does not need waits until the room can be seen.
    void afterFirstFrame(std::function<void()> work);

    void handleApplicationStateChange(Qt::ApplicationState state);
    void handleExposureChange();
    void refitToPrimaryScreen();

    // Gives back image memory while nothing is drawn; the views reload on their next paint.
    static void emptyImageCaches();

private:
    void observeScreen(QScreen* screen);
    void bringRoomToFront();
    void runAfterFirstFrame();

    AppState& m_appState;
    QPointer<InteractiveDesktopWindow> m_window;
    QPointer<QScreen> m_observedScreen;
    std::vector<std::function<void()>> m_afterFirstFrame;
    bool m_firstFrameShown = false;
};
