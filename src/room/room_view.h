#pragma once

#include <QGraphicsView>

class AppState;

// The room window's content: one graphics view over one scene whose rectangle is the
// window's size. The room's root item lays every piece out from that size.
class RoomView : public QGraphicsView {
    Q_OBJECT
public:
    explicit RoomView(AppState& appState, QWidget* parent = nullptr);

    AppState& appState() const { return m_appState; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    AppState& m_appState;
};
