#include "app/app_delegate.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pondsill"));
    QApplication::setOrganizationName(QStringLiteral("Pondsill"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Hiding the room closes no window for good: only the menu's quit item ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate delegate;
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return app.exec();
}
