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

using namespace Qt::StringLiterals;

namespace {
const QStringList kAwkwardNames = {
    u"He said \"hi\".txt"_s,
    u"back\\slash"_s,
    u"$(touch pwned)"_s,
    u"`id` & 'quoted'; end"_s,
};

// Compiles a schema with one Boolean key into `dir`; false when the compiler is missing.
bool compileSchema(const QString& dir, const QString& type)
{
    const QString compiler = QStandardPaths::findExecutable(u"glib-compile-schemas"_s);
    if (compiler.isEmpty())
        return false;
    QFile xml(dir + u"/org.pondsill.test.desktop.gschema.xml"_s);
    if (!xml.open(QIODevice::WriteOnly))
        return false;
    xml.write(QStringLiteral("<schemalist>"
                             "<schema id=\"org.pondsill.test.desktop\" "
                             "path=\"/org/pondsill/test/desktop/\">"
                             "<key name=\"show-desktop-icons\" type=\"%1\">"
                             "<default>%2</default></key>"
                             "</schema></schemalist>")
                  .arg(type, type == u"b" ? u"true"_s : u"'x'"_s)
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

    void gioBackendReadsAndMovesPositions()
    {
        if (!privateBus())
            QSKIP("needs the private session bus that ctest gives this suite");
        TempHome home;
        QString error;
        QVERIFY(!GioDesktopIcons(home.path() + u"/no Desktop"_s, {}).icons(&error));
        QVERIFY(!error.isEmpty());
        const QString desktop = home.makeDir(u"Desktop"_s);
        for (const QString& name : kAwkwardNames)
            home.writeFile(u"Desktop/"_s + name, "x");
        home.writeFile(u"Desktop/.hidden"_s, "x");
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
        QVERIFY(!backend.moveIcon(u"not there"_s, QPoint(1, 1)));
        const std::optional<QList<DesktopIcon>> after = backend.icons(&error);
        QVERIFY(after);
        QCOMPARE(after->size(), kAwkwardNames.size());
        for (const DesktopIcon& icon : *after) {
            const int index = kAwkwardNames.indexOf(icon.name);
            QVERIFY2(index >= 0, qPrintable(icon.name));
            QCOMPARE(icon.position, QPoint(5, 20 + 10 * index));
        }
        QVERIFY(!QFileInfo::exists(desktop + u"/pwned"_s));
        QVERIFY(!QFileInfo::exists(u"pwned"_s));
    }

    void iconSwitch_data()
    {
        QTest::addColumn<QString>("keyType");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<bool>("available");
        QTest::newRow("Boolean key") << u"b"_s << u"org.pondsill.test.desktop"_s << true;
        QTest::newRow("key of another type") << u"s"_s << u"org.pondsill.test.desktop"_s << false;
        QTest::newRow("schema not installed") << u"b"_s << u"org.pondsill.test.absent"_s << false;
    }
    void iconSwitch()
    {
        QFETCH(QString, keyType);
        QFETCH(QString, schema);
        QFETCH(bool, available);
        QTemporaryDir schemas;
        if (!compileSchema(schemas.path(), keyType))
            QSKIP("glib-compile-schemas is not available");
        GioDesktopIcons backend(schemas.path(), {{schema, u"show-desktop-icons"_s}},
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
