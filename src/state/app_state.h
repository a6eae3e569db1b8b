#pragma once

#include "state/active_desktop_quick_view.h"
#include "state/animation.h"
#include "state/observable.h"
#include "state/room_theme.h"

#include <QObject>
#include <QSizeF>
#include <QUrl>
#include <QUuid>

#include <optional>

class QSettings;
class PowerProfileMonitor;

// The observable room state every piece of the room shares: the theme, lamp and monitor
// preferences, the activity, visibility and low-power flags, which overlay is open, and
// the hover, drag and drop-target flags by which one room object lights up while another
// is handled. Room objects never open a card themselves: they call toggleQuickView().
class AppState : public QObject {
    Q_OBJECT

    Q_PROPERTY(
        RoomTheme currentTheme READ currentTheme WRITE setCurrentTheme NOTIFY currentThemeChanged)
    Q_PROPERTY(bool lampOn READ lampOn WRITE setLampOn NOTIFY lampOnChanged)
    Q_PROPERTY(bool isMonitorScreenOn READ isMonitorScreenOn WRITE setMonitorScreenOn NOTIFY
                   isMonitorScreenOnChanged)

    PONDSILL_PUBLISHED(bool, isLowPower, setLowPower) = false;
    PONDSILL_PUBLISHED(bool, isAppActive, setAppActive) = true;
    PONDSILL_PUBLISHED(bool, showSpotifyPopup, setShowSpotifyPopup) = false;
    PONDSILL_PUBLISHED(bool, showThemePicker, setShowThemePicker) = false;
    PONDSILL_PUBLISHED(bool, showBookshelfDrawer, setShowBookshelfDrawer) = false;
    PONDSILL_PUBLISHED(std::optional<QUrl>, activeShelfPopoverURL, setActiveShelfPopoverURL);
    PONDSILL_PUBLISHED(int, activeShelfIndex, setActiveShelfIndex) = 1;
    PONDSILL_PUBLISHED(std::optional<ActiveDesktopQuickView>, activeQuickView, setActiveQuickView);
    PONDSILL_PUBLISHED(bool, isFireModeActive, setFireModeActive) = false;
    PONDSILL_PUBLISHED(bool, isBookshelfTargeted, setBookshelfTargeted) = false;
    PONDSILL_PUBLISHED(bool, isTrashTargeted, setTrashTargeted) = false;
    PONDSILL_PUBLISHED(std::optional<int>, targetedPhotoSlot, setTargetedPhotoSlot);
    PONDSILL_PUBLISHED(std::optional<int>, hoveredPhotoSlot, setHoveredPhotoSlot);
    PONDSILL_PUBLISHED(std::optional<QUrl>, hoveredFlyoutURL, setHoveredFlyoutURL);
    PONDSILL_PUBLISHED(bool, isHoveringSandal, setHoveringSandal) = false;
    PONDSILL_PUBLISHED(bool, isHoveringKarsumoSticker, setHoveringKarsumoSticker) = false;
    PONDSILL_PUBLISHED(std::optional<QUuid>, draggingNoteId, setDraggingNoteId);
    PONDSILL_PUBLISHED(QSizeF, noteDragTranslation, setNoteDragTranslation) = QSizeF(0, 0);
    PONDSILL_PUBLISHED(std::optional<QUuid>, activeNoteCustomizerId, setActiveNoteCustomizerId);
    PONDSILL_PUBLISHED(std::optional<int>, draggingPhotoSlot, setDraggingPhotoSlot);
    PONDSILL_PUBLISHED(QSizeF, photoDragTranslation, setPhotoDragTranslation) = QSizeF(0, 0);
    PONDSILL_PUBLISHED(bool, isHoveringTrash, setHoveringTrash) = false;
    PONDSILL_PUBLISHED(std::optional<ActiveDesktopQuickView>, hoveredPlaque, setHoveredPlaque);
    PONDSILL_PUBLISHED(bool, isWindowVisible, setWindowVisible) = true;
    PONDSILL_PUBLISHED(bool, isHoveringWallCalendar, setHoveringWallCalendar) = false;

public:
    // The preferences come from `settings` ("theme", "lampOn", "isMonitorScreenOn") and are
    // written back on every assignment; low-power mode follows `power` when one is given.
    explicit AppState(QSettings* settings, PowerProfileMonitor* power = nullptr,
                      QObject* parent = nullptr);
    ~AppState() override;

    // The process-wide instance: the user's preference store and the system bus.
    static AppState& shared();

    static constexpr Animation quickViewOpenSpring = Animation::spring(0.38, 0.76);
    static constexpr Animation quickViewCloseSpring = Animation::spring(0.26, 0.88);
    static constexpr Animation fireModeAnimation = Animation::easeInOut(0.45);

    const RoomTheme& currentTheme() const { return m_currentTheme; }
    void setCurrentTheme(const RoomTheme& theme);
    bool lampOn() const { return m_lampOn; }
    void setLampOn(bool on);
    bool isMonitorScreenOn() const { return m_isMonitorScreenOn; }
    void setMonitorScreenOn(bool on);

    // Opens `view`, or closes it when it is the card already open.
    void toggleQuickView(const ActiveDesktopQuickView& view);
    void toggleFireMode();
    // Clears the shelf's, the trash can's and the photo frames' drop targets once a drag
    // has ended.
    void clearDropTargets();

Q_SIGNALS:
    void currentThemeChanged();
    void lampOnChanged();
    void isMonitorScreenOnChanged();

private:
    void writePreference(const QString& key, const QVariant& value);

    QSettings* m_settings = nullptr;
    RoomTheme m_currentTheme;
    bool m_lampOn = true;
    bool m_isMonitorScreenOn = true;
};
