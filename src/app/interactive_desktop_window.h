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
