// A start of the program as far as the single instance goes, for tests that need starts in
// processes of their own, each on a session bus of its own:
//     single_instance_probe STORAGE_FOLDER RUNTIME_FOLDER
// A first start prints "first PID" and then "asked" for each later start; a later start
// prints "shown" (or "unanswered") and ends.
#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    SingleInstance instance(QDBusConnection::sessionBus(),
                            QStringLiteral("id.marrowick.PondsillProbe"));
    instance.setStorageFolder(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (!instance.claim()) {
        const bool shown = instance.askRunningToShow();
        std::printf("%s\n", shown ? "shown" : "unanswered");
        return shown ? 0 : 1;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, [] {
        std::printf("asked\n");
        std::fflush(stdout);
    });
    std::printf("first %lld\n", QCoreApplication::applicationPid());
    std::fflush(stdout);
    return app.exec();
}
