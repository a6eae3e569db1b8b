// A program that ends the way the room does, for tests that send it a signal: it prints
// "ready" once its loop runs and "leaving" from QCoreApplication::aboutToQuit.
#include "platform/quit_signals.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QuitSignals::install();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
        std::printf("leaving\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
