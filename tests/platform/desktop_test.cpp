#include "platform/app_launcher.h"
#include "platform/gio_desktop_icons.h"
#include "support/fake_app_registry.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gio/gio.h>

using namespace Qt::StringLiterals;
using AppLauncher::Target;

namespace {
// What a fake desktop holds, as a list of words:
//   "id.desktop"               an application
//   "id.desktop=type1,type2"   an application that handles those types
//   "default:type=id.desktop"  the default of a type
//   "bin:name"                 a program on PATH
void build(FakeAppRegistry& apps, const QStringList& desktop)
{
    for (const QString& entry : desktop) {
        const QString word = entry.section(u'>', 0, 0); // what follows '>' is no part of it
        if (word.startsWith("bin:"_L1)) {
            apps.addProgram(word.mid(4));
        } else if (word.startsWith("default:"_L1)) {
            const QStringList parts = word.mid(8).split(u'=');
            apps.setDefault(parts.at(0), parts.at(1));
        } else {
            const QStringList parts = word.split(u'=');
            apps.addApp(parts.at(0), parts.size() > 1 ? parts.at(1).split(u',') : QStringList());
        }
    }
}

const QString kPlayer = u"player.desktop=audio/mpeg"_s;
const QString kPlayerDefault = u"default:audio/mpeg=player.desktop"_s;
const QString kBrowser = u"browser.desktop=x-scheme-handler/https,x-scheme-handler/http"_s;
const QString kBrowserDefault = u"default:x-scheme-handler/https=browser.desktop"_s;
const QString kChromeScheme = u"chrome-scheme.desktop=x-scheme-handler/googlechrome"_s;

const QStringList kAwkwardNames = {u"He said \"hi\".txt"_s, u"back\\slash"_s, u"$(touch pwned)"_s,
                                   u"`id` & 'quoted'; end"_s};

// Compiles a schema with one Boolean key into `dir`; false when the compiler is missing.
bool compileSchema(const QString& dir, const QString& type)
{
    const QString compiler = QStandardPaths::findExecutable(u"glib-compile-schemas"_s);
    if (compiler.isEmpty())
        return false;
    writeFile(dir + u"/org.pondsill.test.desktop.gschema.xml"_s,
              QStringLiteral("<schemalist><schema id=\"org.pondsill.test.desktop\" "
                             "path=\"/org/pondsill/test/desktop/\">"
                             "<key name=\"show-desktop-icons\" type=\"%1\">"
                             "<default>%2</default></key></schema></schemalist>")
                  .arg(type, type == u"b" ? u"true"_s : u"'x'"_s)
                  .toUtf8());
    return QProcess::execute(compiler, {dir}) == 0;
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

// What the room starts through the desktop, and where it leaves the desktop's icons.
class DesktopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Settings written by these tests stay in memory.
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    // Places are written where the running desktop reads them, under its own attribute, and
    // read back from there; a desktop the room cannot serve gets none.
    void iconPlacesGoWhereTheDesktopReadsThem_data()
    {
        QTest::addColumn<QStringList>("names"); // XDG_CURRENT_DESKTOP
        QTest::addColumn<QString>("attribute");
        QTest::newRow("Cinnamon session") << QStringList{u"cinnamon2d"_s} << u"nemo"_s;
        QTest::newRow("later entry") << QStringList{u"Budgie"_s, u"mate"_s} << u"caja"_s;
        QTest::newRow("GNOME") << QStringList{u"ubuntu"_s, u"GNOME"_s} << QString();
    }
    void iconPlacesGoWhereTheDesktopReadsThem()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, attribute);
        const std::optional<GioDesktopIcons::Desktop> desktop =
            GioDesktopIcons::desktopNamed(names);
        QCOMPARE(desktop.has_value(), !attribute.isEmpty());
        if (desktop)
            QCOMPARE(desktop->positionAttribute,
                     "metadata::" + attribute.toUtf8() + "-icon-position");
        // GIO's metadata store writes into the home of the bus: only ctest's private one is safe.
        if (qgetenv("PONDSILL_PRIVATE_BUS") != "1")
            QSKIP("needs the private session bus that ctest gives this suite");
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
        QCOMPARE(backend.iconsShown(), available ? std::optional(true) : std::nullopt);
        QCOMPARE(backend.setIconsShown(false), available);
        if (available)
            QCOMPARE(backend.iconsShown(), std::optional(false));
    }

    void chainsStartTheFirstProgramFoundAndNothingElse_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("desktop");
        QTest::addColumn<QString>("started"); // empty: nothing may start
        QTest::addColumn<QString>("arguments");

        // Each chain's steps as desktop words ("word>arguments" when it starts with some): with
        // the words before a step removed, that step starts and nothing else.
        const auto addChain = [](const char* name, Target target, const QStringList& chain,
                                 const QStringList& extra, const QStringList& nothing) {
            for (qsizetype i = 0; i < chain.size(); ++i) {
                QString started = chain[i].section(u'>', 0, 0).section(u'=', 0, 0);
                started.remove("bin:"_L1);
                QTest::addRow("%s: %s", name, qPrintable(started))
                    << int(target) << chain.mid(i) + extra << started << chain[i].section(u'>', 1);
            }
            QTest::addRow("%s: nothing to start", name)
                << int(target) << nothing << QString() << QString();
        };
        addChain("music", Target::MusicApp,
                 {u"lmms.desktop"_s, u"org.gnome.Rhythmbox3.desktop"_s, u"org.kde.elisa.desktop"_s,
                  kPlayer},
                 {kPlayerDefault}, {kBrowser});
        const QStringList browsers{
            u"google-chrome.desktop"_s, u"bin:google-chrome"_s, u"bin:google-chrome-stable"_s,
            kChromeScheme + u">googlechrome://"_s, kBrowser + u">https://www.google.com/"_s};
        addChain("browser", Target::Browser, browsers, {kBrowserDefault}, {kPlayer});
        // No web page stands in for the player.
        addChain("player", Target::SpotifyApp,
                 {u"spotify.desktop"_s, u"com.spotify.Client.desktop"_s,
                  u"spotify-links.desktop=x-scheme-handler/spotify>spotify:"_s},
                 {}, {kBrowser, kBrowserDefault});
        QTest::newRow("search page never tries the named browser")
            << int(Target::SearchHomePage) << browsers + QStringList{kBrowserDefault}
            << u"browser.desktop"_s << u"https://www.google.com/"_s;
        QTest::newRow("video page never tries the named browser")
            << int(Target::VideoHomePage) << browsers + QStringList{kBrowserDefault}
            << u"browser.desktop"_s << u"https://www.youtube.com/"_s;
    }

    void chainsStartTheFirstProgramFoundAndNothingElse()
    {
        QFETCH(int, target);
        QFETCH(QStringList, desktop);
        QFETCH(QString, started);
        QFETCH(QString, arguments);

        FakeAppRegistry apps;
        build(apps, desktop);
        QVERIFY(apps.waitUntilSeen());

        const AppLauncher::ChainResult result = AppLauncher::launch(Target(target));
        if (started.isEmpty()) {
            QCOMPARE(std::pair(result.step, result.launched()), std::pair(-1, false));
            QVERIFY(apps.nothingLaunched());
            return;
        }
        QVERIFY(result.launched());
        QVERIFY2(apps.launchedOnly(started), qPrintable(apps.launchedNames().join(u' ')));
        QCOMPARE(apps.launches(started), QStringList{arguments});

        // Asked afresh each time: once the program is gone the next one is found.
        if (desktop.first().endsWith(".desktop"_L1) && started == desktop.first()) {
            apps.removeApp(started);
            QVERIFY(apps.waitUntilSeen());
            const AppLauncher::ChainResult next = AppLauncher::launch(Target(target));
            QCOMPARE(next.step, result.step + 1);
            QTRY_COMPARE(apps.launchedNames().size(), 2);
        }
    }

    // Only web pages open in the browser; handlers and programs are checked before use.
    void stepsStartOnlyWhatTheyMay_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        using Kind = AppLauncher::Step::Kind;
        QTest::newRow("https page") << int(Kind::WebPage) << u"https://example.org/a?b=c"_s << true;
        QTest::newRow("http page") << int(Kind::WebPage) << u"http://example.org/"_s << true;
        QTest::newRow("a local file") << int(Kind::WebPage) << u"file:///etc/passwd"_s << false;
        QTest::newRow("another scheme") << int(Kind::WebPage) << u"googlechrome://"_s << false;
        QTest::newRow("no host") << int(Kind::WebPage) << u"https:///path"_s << false;
        QTest::newRow("not a URL") << int(Kind::WebPage) << u"https://exa mple.org"_s << false;
        QTest::newRow("a scheme nobody handles")
            << int(Kind::SchemeHandler) << u"spotify:"_s << false;
        QTest::newRow("a program path") << int(Kind::Executable) << u"../bin/sh"_s << false;
    }
    void stepsStartOnlyWhatTheyMay()
    {
        QFETCH(int, kind);
        QFETCH(QString, target);
        QFETCH(bool, opens);
        FakeAppRegistry apps;
        build(apps, {kBrowser, kBrowserDefault, kChromeScheme,
                     u"files.desktop=inode/directory,text/plain,x-scheme-handler/file"_s});
        QVERIFY(apps.waitUntilSeen());
        QVERIFY(AppLauncher::hasSchemeHandler("https"_L1));
        QVERIFY(!AppLauncher::hasSchemeHandler("spotify"_L1));
        const AppLauncher::Outcome outcome =
            AppLauncher::launch({AppLauncher::Step::Kind(kind), target});
        QCOMPARE(outcome, opens ? AppLauncher::Outcome::Launched : AppLauncher::Outcome::Missing);
        QVERIFY(opens ? apps.launchedOnly(u"browser.desktop"_s) : apps.nothingLaunched());
    }
};

PONDSILL_TEST(DesktopTest)
#include "desktop_test.moc"
