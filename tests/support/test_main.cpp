// The main of every test executable: a private HOME and XDG folders for the whole run, so
// that no test can touch the real home folder or start a real application, then every
// registered test class.
#include "support/fake_app_registry.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QTest>

#if defined(PONDSILL_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <memory>

int main(int argc, char** argv)
{
    const TempHome sandbox;
    if (!sandbox.isValid())
        return 2;
    const QString runtime = sandbox.root() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ::setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime).constData(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // No test may find, let alone start, a real application.
    if (!FakeAppRegistry::isolateProcess(sandbox.root()))
        return 3;

    TestApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pondsill-tests"));

    // "only=ClassName" as the first argument runs one class; the rest go to QTest.
    QStringList args = app.arguments();
    const QString only = args.size() > 1 && args.at(1).startsWith(QLatin1String("only="))
                             ? args.takeAt(1).mid(5)
                             : QString();
    int failures = 0;
    for (const auto& entry : TestRegistry::entries()) {
        if (only.isEmpty() || only == QLatin1String(entry.name)) {
            std::unique_ptr<QObject> test(entry.create());
            failures += QTest::qExec(test.get(), args);
        }
    }
    return failures == 0 ? 0 : 1;
}
