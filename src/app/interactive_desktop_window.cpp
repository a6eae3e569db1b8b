#include "app/interactive_desktop_window.h"

#include "platform/background_work.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QVBoxLayout>
#include <QWindow>

InteractiveDesktopWindow::InteractiveDesktopWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    BackgroundWork::settlePaintingHelpers();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Pondsill"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void InteractiveDesktopWindow::setContent(QWidget* content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (m_content)
        layout()->addWidget(m_content);
}

void InteractiveDesktopWindow::takeKeyboardBack()
{
    if (!isVisible())
        return;
    // Focus set in a window that is not active yet is what it gives its keys to once it is.
    if (m_content)
        m_content->setFocus(Qt::ActiveWindowFocusReason);
    activateWindow();
}

void InteractiveDesktopWindow::giveKeyboardBackToRoom()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* room = qobject_cast<InteractiveDesktopWindow*>(widget))
            room->takeKeyboardBack();
    }
}

void InteractiveDesktopWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_fallbackMenu) {
        event->ignore();
        return;
    }
    m_fallbackMenu->popup(event->globalPos());
    event->accept();
}

bool InteractiveDesktopWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WinIdChange:
    case QEvent::Show:
        if (QWindow* handle = windowHandle())
            handle->installEventFilter(this);
        Q_EMIT exposureChanged();
        break;
    case QEvent::Hide:
        Q_EMIT exposureChanged();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool InteractiveDesktopWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose)
        Q_EMIT exposureChanged();
    return QWidget::eventFilter(watched, event);
}
