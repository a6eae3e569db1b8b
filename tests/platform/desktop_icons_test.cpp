#include "platform/gio_desktop_icons.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QStringList kAwkwardNames = {
    QStringLiteral("He said \"hi\".txt"),
    QStringLiteral("back\\slash"),
    QStringLiteral("$(touch pwned)"),
    QStringLiteral("`id` & 'quoted'; end"),
};

// Compiles a schema with one Boolean key into `dir`; false when the compiler is missing.
bool compileSchema(const QString& dir, const QString& type)
{
    const QString compiler = QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas"));
    if (compiler.isEmpty())
        return false;
    QFile xml(dir + QStringLiteral("/org.pondsill.test.desktop.gschema.xml"));
    if (!xml.open(QIODevice::WriteOnly))
        return false;
    xml.write(
        QStringLiteral("<schemalist>"
                       "<schema id=\"org.pondsill.test.desktop\" "
                       "path=\"/org/pondsill/test/desktop/\">"
                       "<key name=\"show-desktop-icons\" type=\"%1\">"
                       "<default>%2</default></key>"
                       "</schema></schemalist>")
            .arg(type, type == QLatin1String("b") ? QStringLiteral("true") : QStringLiteral("'x'"))
            .toUtf8());
    xml.close();
    return QProcess::execute(compiler, {dir}) == 0;
}
// GIO's metadata store is a service of the session bus that writes into the home folder
// of the bus: only a private bus with a home of its own (ctest's) is safe to use.
bool privateBus()
{
    return qgetenv("PONDSILL_PRIVATE_BUS") == "1";
}
} // namespace

class DesktopIconsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Settings written by these tests stay in memory.
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    void coveredRegion_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<bool>("covered");
        QTest::newRow("last covered column") << QPoint(419, 0) << true;
        QTest::newRow("first free column") << QPoint(420, 0) << false;
        QTest::newRow("band's corner") << QPoint(849, 451) << true;
        QTest::newRow("just above the band") << QPoint(849, 450) << false;
        QTest::newRow("just right of the band") << QPoint(850, 451) << false;
    }
    void coveredRegion()
    {
        QFETCH(QPoint, position);
        QTEST(DesktopIcons::isCovered(position), "covered");
    }

    void gioBackendReadsAndMovesPositions()
    {
        if (!privateBus())
            QSKIP("needs the private session bus that ctest gives this suite");
        TempHome home;
        QString error;
        QVERIFY(!GioDesktopIcons(home.path() + QStringLiteral("/no Desktop"), {}).icons(&error));
        QVERIFY(!error.isEmpty());
        const QString desktop = home.makeDir(QStringLiteral("Desktop"));
        for (const QString& name : kAwkwardNames)
            home.writeFile(QStringLiteral("Desktop/") + name, "x");
        home.writeFile(QStringLiteral("Desktop/.hidden"), "x");
        GioDesktopIcons backend(desktop, {});
        const std::optional<QList<DesktopIcon>> before = backend.icons(&error);
        if (!before) {
            // No metadata store on this machine: the backend says so and moves nothing.
            QVERIFY(!error.isEmpty());
            QVERIFY(!backend.moveIcon(kAwkwardNames[0], QPoint(1, 2)));
            QSKIP("GIO keeps no file metadata here (no gvfs): listing refused as it should be");
        }
        QVERIFY(before->isEmpty()); // nothing has a position yet
        int y = 10;
        for (const QString& name : kAwkwardNames)
            QVERIFY(backend.moveIcon(name, QPoint(5, y += 10)));
        QVERIFY(!backend.moveIcon(QStringLiteral("not there"), QPoint(1, 1)));
        const std::optional<QList<DesktopIcon>> after = backend.icons(&error);
        QVERIFY(after);
        QCOMPARE(after->size(), kAwkwardNames.size());
        for (const DesktopIcon& icon : *after) {
            const int index = kAwkwardNames.indexOf(icon.name);
            QVERIFY2(index >= 0, qPrintable(icon.name));
            QCOMPARE(icon.position, QPoint(5, 20 + 10 * index));
        }
        QVERIFY(!QFileInfo::exists(desktop + QStringLiteral("/pwned")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
    }

    void iconSwitch_data()
    {
        QTest::addColumn<QString>("keyType");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<bool>("available");
        QTest::newRow("Boolean key")
            << QStringLiteral("b") << QStringLiteral("org.pondsill.test.desktop") << true;
        QTest::newRow("key of another type")
            << QStringLiteral("s") << QStringLiteral("org.pondsill.test.desktop") << false;
        QTest::newRow("schema not installed")
            << QStringLiteral("b") << QStringLiteral("org.pondsill.test.absent") << false;
    }
    void iconSwitch()
    {
        QFETCH(QString, keyType);
        QFETCH(QString, schema);
        QFETCH(bool, available);
        QTemporaryDir schemas;
        if (!compileSchema(schemas.path(), keyType))
            QSKIP("glib-compile-schemas is not available");
        GioDesktopIcons backend(schemas.path(), {{schema, QStringLiteral("show-desktop-icons")}},
                                schemas.path());
        if (!available) {
            QVERIFY(!backend.iconsShown());
            QVERIFY(!backend.setIconsShown(false));
            return;
        }
        QCOMPARE(backend.iconsShown(), std::optional<bool>(true));
        QVERIFY(backend.setIconsShown(false));
        QCOMPARE(backend.iconsShown(), std::optional<bool>(false));
        QVERIFY(backend.setIconsShown(true));
        QCOMPARE(backend.iconsShown(), std::optional<bool>(true));
    }
};

PONDSILL_TEST(DesktopIconsTest)
#include "desktop_icons_test.moc"
