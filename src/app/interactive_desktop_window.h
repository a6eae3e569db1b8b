#pragma once

#include <QWidget>

class QMenu;

// The one room window: frameless, opaque black, over the primary screen's whole frame.
// It hosts the room's view; right-clicks that no piece of the room takes open the room's
// command menu where the desktop has no tray to hang it on.
class InteractiveDesktopWindow : public QWidget {
    Q_OBJECT
public:
    explicit InteractiveDesktopWindow(QWidget* parent = nullptr);

    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // The menu shown on a right-click of the room; none while the tray carries it.
    void setFallbackMenu(QMenu* menu) { m_fallbackMenu = menu; }
    QMenu* fallbackMenu() const { return m_fallbackMenu; }

    // Takes the keyboard back once a dialog of the room has closed: a shown room is made
    // the active window and its content gets the focus, so its keys work again at once.
    // Nobody gives it back otherwise: without a window manager the X server hands the
    // keyboard to the root window, and a window manager picks a window of its own.
    void takeKeyboardBack();
    // The same for the room window of this program, if there is one.
    static void giveKeyboardBackToRoom();

Q_SIGNALS:
    // The window was exposed or covered, shown or hidden.
    void exposureChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_content = nullptr;
    QMenu* m_fallbackMenu = nullptr;
};
