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

#include <gio/gio.h>

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

// Every known desktop's place for the file at `path`, as "attribute=value".
QStringList storedPlace(const QString& path)
{
    QStringList places;
    GFile* file = g_file_new_for_path(QFile::encodeName(path).constData());
    GFileInfo* info = g_file_query_info(file, "metadata::*", G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS,
                                        nullptr, nullptr);
    if (info) {
        char** attributes = g_file_info_list_attributes(info, "metadata");
        for (char** attribute = attributes; attribute && *attribute; ++attribute) {
            if (QByteArray(*attribute).endsWith("-icon-position")) {
                places << QString::fromUtf8(*attribute) + u"="_s +
                              QString::fromUtf8(g_file_info_get_attribute_string(info, *attribute));
            }
        }
        g_strfreev(attributes);
        g_object_unref(info);
    }
    g_object_unref(file);
    return places;
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

    void runningDesktop_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("attribute");
        QTest::newRow("Cinnamon session") << QStringList{u"cinnamon2d"_s} << u"nemo"_s;
        QTest::newRow("later entry") << QStringList{u"Budgie"_s, u"mate"_s} << u"caja"_s;
        QTest::newRow("GNOME") << QStringList{u"ubuntu"_s, u"GNOME"_s} << QString();
    }
    void runningDesktop()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, attribute);
        const std::optional<GioDesktopIcons::Desktop> desktop =
            GioDesktopIcons::desktopNamed(names);
        QCOMPARE(desktop.has_value(), !attribute.isEmpty());
        if (desktop) {
            QCOMPARE(desktop->positionAttribute,
                     "metadata::" + attribute.toUtf8() + "-icon-position");
        }
    }

    // Places are written where the running desktop reads them, and read back from there.
    void placesGoWhereTheDesktopReadsThem_data()
    {
        QTest::addColumn<QString>("desktopName");
        QTest::newRow("Cinnamon") << u"Cinnamon"_s;
        QTest::newRow("MATE") << u"MATE"_s;
        QTest::newRow("a desktop the room cannot serve") << u"GNOME"_s;
    }
    void placesGoWhereTheDesktopReadsThem()
    {
        QFETCH(QString, desktopName);
        if (!privateBus())
            QSKIP("needs the private session bus that ctest gives this suite");
        const std::optional<GioDesktopIcons::Desktop> desktop =
            GioDesktopIcons::desktopNamed({desktopName});
        TempHome home;
        QString error;
        QVERIFY(!GioDesktopIcons(home.path() + u"/no Desktop"_s, desktop).icons(&error));
        QVERIFY(!error.isEmpty());
        const QString folder = home.makeDir(u"Desktop"_s);
        for (const QString& name : kAwkwardNames)
            home.writeFile(u"Desktop/"_s + name, "x");
        home.writeFile(u"Desktop/.hidden"_s, "x");
        GioDesktopIcons backend(folder, desktop);
        const std::optional<QList<DesktopIcon>> before = backend.icons(&error);
        if (!desktop) {
            QVERIFY(!before);
            QVERIFY(!error.isEmpty());
            QVERIFY(!backend.moveIcon(kAwkwardNames[0], QPoint(1, 2)));
            QCOMPARE(storedPlace(folder + u"/"_s + kAwkwardNames[0]), QStringList());
            return;
        }
        // CI installs gvfs (scripts/install-deps): without its store nothing can be moved.
        QVERIFY2(before, qPrintable(u"no GIO metadata store (install gvfs): "_s + error));
        QVERIFY(before->isEmpty()); // nothing has a place yet
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
            // As the desktop itself reads it: its own attribute, and no other desktop's.
            QCOMPARE(storedPlace(folder + u"/"_s + icon.name),
                     QStringList{QString::fromLatin1(desktop->positionAttribute) + u"="_s +
                                 QStringLiteral("5,%1").arg(20 + 10 * index)});
        }
        QVERIFY(!QFileInfo::exists(folder + u"/pwned"_s));
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
        const GioDesktopIcons::Desktop desktop{
            u"Test"_s, "metadata::test-icon-position", {schema, u"show-desktop-icons"_s}};
        GioDesktopIcons backend(schemas.path(), desktop, schemas.path());
        if (!available) {
            QVERIFY(!backend.iconsShown());
            QVERIFY(!backend.setIconsShown(false));
            return;
        }
        QCOMPARE(backend.iconsShown(), std::optional<bool>(true));
        QVERIFY(backend.setIconsShown(false));
        QCOMPARE(backend.iconsShown(), std::optional<bool>(false));
    }
};

PONDSILL_TEST(DesktopIconsTest)
#include "desktop_icons_test.moc"
