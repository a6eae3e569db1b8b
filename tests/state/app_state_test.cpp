#include "platform/power_profile_monitor.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Stands in for power-profiles-daemon on a private session bus.
class FakePowerProfiles : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.hadess.PowerProfiles")
    Q_PROPERTY(QString ActiveProfile MEMBER profile)
public:
    explicit FakePowerProfiles(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    QString profile = u"power-saver"_s;

    void switchTo(QDBusConnection& bus, const QString& to)
    {
        profile = to;
        QDBusMessage signal = QDBusMessage::createSignal(PowerProfileMonitor::objectPath,
                                                         u"org.freedesktop.DBus.Properties"_s,
                                                         u"PropertiesChanged"_s);
        signal << PowerProfileMonitor::interfaceName << QVariantMap{{u"ActiveProfile"_s, to}}
               << QStringList();
        bus.send(signal);
    }
};
} // namespace

// The room's state and its preferences (p.ini in a temporary home), the floor's state.
class AppStateTest : public QObject {
    Q_OBJECT
    TempHome m_home;
    QString m_file = m_home.configHome() + u"/p.ini"_s;

private Q_SLOTS:
    void init() { QFile::remove(m_file); }

    // The preferences are read without writing anything; what is set is written at once.
    void preferencesFromStore_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("lampOn");
        QTest::addColumn<bool>("monitorOn");
        QTest::newRow("first launch") << QString() << QVariant() << true << true;
        QTest::newRow("lamp off") << "lampOn" << QVariant(false) << false << true;
        QTest::newRow("monitor off") << "isMonitorScreenOn" << QVariant(false) << true << false;
        QTest::newRow("unknown theme") << "theme" << QVariant(u"Library"_s) << true << true;
    }
    void preferencesFromStore()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QSettings settings(m_file, QSettings::IniFormat);
        if (!key.isEmpty())
            settings.setValue(key, stored);
        const QStringList keysBefore = settings.allKeys();
        AppState state(&settings);
        QTEST(state.lampOn(), "lampOn");
        QTEST(state.isMonitorScreenOn(), "monitorOn");
        QCOMPARE(state.currentTheme(), RoomTheme::library());
        QCOMPARE(state.activeShelfIndex(), 1);
        QCOMPARE(settings.allKeys(), keysBefore); // reading writes nothing

        state.setLampOn(!state.lampOn());
        state.setMonitorScreenOn(!state.isMonitorScreenOn());
        state.setCurrentTheme(RoomTheme::library());
        QSettings reread(m_file, QSettings::IniFormat);
        AppState next(&reread);
        QTEST(!next.lampOn(), "lampOn");
        QTEST(!next.isMonitorScreenOn(), "monitorOn");
        QCOMPARE(reread.value(u"theme"_s).toString(), u"library"_s);
    }

    // A card opens inside the open spring and closes every other panel; the same card again
    // (the same slot, the same URL) closes it inside the close spring and touches nothing
    // else; another card takes its place.
    void toggleQuickView_data()
    {
        using V = ActiveDesktopQuickView;
        QTest::addColumn<ActiveDesktopQuickView>("first");
        QTest::addColumn<ActiveDesktopQuickView>("second");
        QTest::addColumn<bool>("closes");
        const QUrl file = QUrl::fromLocalFile(u"/home/u/Karpet/a"_s);
        QTest::newRow("same card") << V::clock() << V::clock() << true;
        QTest::newRow("same photo slot") << V::photo(2) << V::photo(2) << true;
        QTest::newRow("other photo slot") << V::photo(2) << V::photo(3) << false;
        QTest::newRow("same carpet file") << V::carpetItem(file) << V::carpetItem(file) << true;
        QTest::newRow("url with a trailing slash")
            << V::carpetItem(file) << V::carpetItem(QUrl(u"file:///home/u/Karpet/a/"_s)) << false;
        QTest::newRow("mail, then whatsapp") << V::mail() << V::whatsapp() << false;
    }
    void toggleQuickView()
    {
        QFETCH(ActiveDesktopQuickView, first);
        QFETCH(ActiveDesktopQuickView, second);
        QFETCH(bool, closes);
        AppState state(nullptr);
        state.setActiveShelfPopoverURL(QUrl::fromLocalFile(u"/x"_s));
        state.setShowSpotifyPopup(true);
        state.setShowBookshelfDrawer(true);
        state.setShowThemePicker(true);
        std::optional<Animation> seen;
        connect(&state, &AppState::activeQuickViewChanged, this,
                [&seen] { seen = currentAnimation(); });

        state.toggleQuickView(first);
        QCOMPARE(state.activeQuickView(), first);
        QCOMPARE(seen, AppState::quickViewOpenSpring);
        QVERIFY(!state.activeShelfPopoverURL() && !state.showSpotifyPopup() &&
                !state.showBookshelfDrawer() && !state.showThemePicker());
        state.setShowBookshelfDrawer(true);
        state.toggleQuickView(second);
        QCOMPARE(state.activeQuickView(), closes ? std::nullopt : std::optional(second));
        QCOMPARE(seen, closes ? AppState::quickViewCloseSpring : AppState::quickViewOpenSpring);
        QCOMPARE(state.showBookshelfDrawer(), closes);
        QVERIFY(!currentAnimation()); // the transaction ends with the change
    }

    // Drag offsets start at zero (views add them to positions: a default QSizeF is (-1, -1)).
    // Names are exact strings; letting the selection go ends a marquee but leaves the carpet.
    void theFloorState()
    {
        FloorInteractionState state;
        AppState app(nullptr);
        for (QSizeF offset : {state.carpetDragOffset(), state.floorFileDragTranslation(),
                              app.noteDragTranslation(), app.photoDragTranslation()})
            QCOMPARE(offset, QSizeF(0, 0));
        for (const char* name : {"a.txt", "b.txt", "a.txt", "B.txt"})
            state.toggleSelection(QString::fromLatin1(name));
        QCOMPARE(state.selectedFileNames(), (QSet<QString>{u"b.txt"_s, u"B.txt"_s}));
        state.setCarpetLifted(true);
        state.setCarpetDragOffset(QSizeF(3, 4));
        state.setMarqueeSelecting(true);
        state.setMarqueeStart(QPointF(1, 2));
        state.clearSelection();
        QVERIFY(state.selectedFileNames().isEmpty());
        QVERIFY(!state.isMarqueeSelecting() && !state.marqueeStart());
        QVERIFY(state.isCarpetLifted());
        QCOMPARE(state.carpetDragOffset(), QSizeF(3, 4));
    }

    // Low power follows power-profiles-daemon as it changes and as it goes away.
    void lowPowerFollowsTheDaemon()
    {
        QDBusConnection service =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-ppd"_s);
        if (!service.isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        QObject object;
        auto* fake = new FakePowerProfiles(&object);
        QVERIFY(service.registerObject(PowerProfileMonitor::objectPath, &object,
                                       QDBusConnection::ExportAdaptors));
        QVERIFY(service.registerService(PowerProfileMonitor::serviceName));

        QSettings settings(m_file, QSettings::IniFormat);
        PowerProfileMonitor monitor(QDBusConnection::sessionBus());
        AppState state(&settings, &monitor);
        QTRY_VERIFY(state.isLowPower()); // read at creation
        fake->switchTo(service, u"performance"_s);
        QTRY_VERIFY(!state.isLowPower());
        fake->switchTo(service, u"power-saver"_s);
        QTRY_VERIFY(state.isLowPower());
        service.unregisterService(PowerProfileMonitor::serviceName);
        QTRY_VERIFY(!state.isLowPower());
        QDBusConnection::disconnectFromBus(u"fake-ppd"_s);
    }
};

PONDSILL_TEST(AppStateTest)
#include "app_state_test.moc"
