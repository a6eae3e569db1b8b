// The main of every test executable: a private HOME and XDG folders for the whole run, so
// that no test can touch the real home folder or start a real application, then every
// registered test class.
#include "support/fake_app_registry.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#if defined(PONDSILL_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    auto sandbox = std::make_unique<QTemporaryDir>();
    if (!sandbox->isValid())
        return 2;
    const QByteArray root = sandbox->path().toUtf8();
    ::setenv("HOME", root + "/home", 1);
    ::setenv("XDG_CONFIG_HOME", root + "/config", 1);
    ::setenv("XDG_DATA_HOME", root + "/data", 1);
    ::setenv("XDG_CACHE_HOME", root + "/cache", 1);
    ::setenv("XDG_RUNTIME_DIR", root + "/runtime", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const char* dir : {"/home", "/config", "/data", "/cache", "/runtime"})
        QDir().mkpath(QString::fromUtf8(root + dir));
    QFile::setPermissions(QString::fromUtf8(root + "/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // No test may find, let alone start, a real application.
    FakeAppRegistry::isolateProcess(QString::fromUtf8(root));

    TestApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pondsill-tests"));

    // "only=ClassName" as the first argument runs one class; the rest go to QTest.
    QString only;
    QStringList args = app.arguments();
    if (args.size() > 1 && args.at(1).startsWith(QLatin1String("only="))) {
        only = args.takeAt(1).mid(5);
    }

    int failures = 0;
    for (const auto& entry : TestRegistry::entries()) {
        if (!only.isEmpty() && only != QLatin1String(entry.name))
            continue;
        std::unique_ptr<QObject> test(entry.create());
        failures += QTest::qExec(test.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
