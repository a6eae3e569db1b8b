#include "state/app_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class AppStateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<QSettings> m_settings;

    QSettings* freshSettings()
    {
        m_settings = std::make_unique<QSettings>(m_home->configHome() + QStringLiteral("/p.ini"),
                                                 QSettings::IniFormat);
        return m_settings.get();
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_settings.reset();
    }

    void preferencesOnFirstLaunch()
    {
        AppState state(freshSettings());
        QVERIFY(state.lampOn());
        QVERIFY(state.isMonitorScreenOn());
        QCOMPARE(state.currentTheme(), RoomTheme::library());
        QVERIFY(!state.isLowPower());
        QVERIFY(state.isAppActive());
        QVERIFY(state.isWindowVisible());
        QCOMPARE(state.activeShelfIndex(), 1);
        QVERIFY(!state.isHoveringWallCalendar());
        // Reading writes nothing.
        QVERIFY(m_settings->allKeys().isEmpty());
    }

    void preferencesFromStore_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("lampOn");
        QTest::addColumn<bool>("monitorOn");
        QTest::newRow("lamp off") << "lampOn" << QVariant(false) << false << true;
        QTest::newRow("monitor off") << "isMonitorScreenOn" << QVariant(false) << true << false;
        QTest::newRow("lamp on") << "lampOn" << QVariant(true) << true << true;
        QTest::newRow("unknown theme") << "theme" << QVariant(QStringLiteral("Library")) << true
                                       << true;
    }
    void preferencesFromStore()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QSettings* settings = freshSettings();
        settings->setValue(key, stored);
        AppState state(settings);
        QTEST(state.lampOn(), "lampOn");
        QTEST(state.isMonitorScreenOn(), "monitorOn");
        QCOMPARE(state.currentTheme().rawValue(), QStringLiteral("library"));
    }

    void everyAssignmentNotifiesAndPersists()
    {
        QSettings* settings = freshSettings();
        AppState state(settings);
        QSignalSpy lamp(&state, &AppState::lampOnChanged);
        state.setLampOn(true); // same value: still published and written
        QCOMPARE(lamp.count(), 1);
        QCOMPARE(settings->value(QStringLiteral("lampOn")).toBool(), true);
        state.setLampOn(false);
        state.setMonitorScreenOn(false);
        state.setCurrentTheme(RoomTheme::library());
        QCOMPARE(lamp.count(), 2);

        // A second state over the same file sees what the first wrote.
        QSettings reread(settings->fileName(), QSettings::IniFormat);
        AppState next(&reread);
        QVERIFY(!next.lampOn());
        QVERIFY(!next.isMonitorScreenOn());
        QCOMPARE(reread.value(QStringLiteral("theme")).toString(), QStringLiteral("library"));
    }

    void toggleQuickViewOpensAndCloses()
    {
        AppState state(freshSettings());
        state.setActiveShelfPopoverURL(QUrl::fromLocalFile(QStringLiteral("/x")));
        state.setShowSpotifyPopup(true);
        state.setShowBookshelfDrawer(true);
        state.setShowThemePicker(true);

        std::optional<Animation> seen;
        connect(&state, &AppState::activeQuickViewChanged, this,
                [&seen] { seen = currentAnimation(); });

        state.toggleQuickView(ActiveDesktopQuickView::clock());
        QCOMPARE(state.activeQuickView(), ActiveDesktopQuickView::clock());
        QCOMPARE(seen, AppState::quickViewOpenSpring);
        QVERIFY(!state.activeShelfPopoverURL());
        QVERIFY(!state.showSpotifyPopup());
        QVERIFY(!state.showBookshelfDrawer());
        QVERIFY(!state.showThemePicker());

        // Closing touches only the card.
        state.setShowBookshelfDrawer(true);
        state.toggleQuickView(ActiveDesktopQuickView::clock());
        QVERIFY(!state.activeQuickView());
        QCOMPARE(seen, AppState::quickViewCloseSpring);
        QVERIFY(state.showBookshelfDrawer());
        QVERIFY(!currentAnimation()); // the transaction ends with the change
    }

    void toggleQuickViewSwitchesPhotoSlots()
    {
        AppState state(freshSettings());
        state.toggleQuickView(ActiveDesktopQuickView::photo(2));
        state.toggleQuickView(ActiveDesktopQuickView::photo(3));
        QCOMPARE(state.activeQuickView(), ActiveDesktopQuickView::photo(3));
        state.toggleQuickView(ActiveDesktopQuickView::photo(2));
        QCOMPARE(state.activeQuickView(), ActiveDesktopQuickView::photo(2));
        state.toggleQuickView(ActiveDesktopQuickView::photo(2));
        QVERIFY(!state.activeQuickView());
    }

    void quickViewEquality_data()
    {
        QTest::addColumn<ActiveDesktopQuickView>("a");
        QTest::addColumn<ActiveDesktopQuickView>("b");
        QTest::addColumn<bool>("equal");
        using V = ActiveDesktopQuickView;
        const QUrl file = QUrl::fromLocalFile(QStringLiteral("/home/u/Karpet/a"));
        const QUrl slash(QStringLiteral("file:///home/u/Karpet/a/"));
        QTest::newRow("same slot") << V::photo(2) << V::photo(2) << true;
        QTest::newRow("other slot") << V::photo(2) << V::photo(3) << false;
        QTest::newRow("photo vs clock") << V::photo(0) << V::clock() << false;
        QTest::newRow("same url") << V::carpetItem(file) << V::carpetItem(file) << true;
        QTest::newRow("trailing slash") << V::carpetItem(file) << V::carpetItem(slash) << false;
        QTest::newRow("mail vs whatsapp") << V::mail() << V::whatsapp() << false;
        QTest::newRow("plaque") << V::quennetPlaque() << V::quennetPlaque() << true;
    }
    void quickViewEquality()
    {
        QFETCH(ActiveDesktopQuickView, a);
        QFETCH(ActiveDesktopQuickView, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
        QCOMPARE(b == a, equal);
    }

    void fireModeTogglesWithEaseInOut()
    {
        AppState state(freshSettings());
        std::optional<Animation> seen;
        connect(&state, &AppState::isFireModeActiveChanged, this,
                [&seen] { seen = currentAnimation(); });
        state.toggleFireMode();
        QVERIFY(state.isFireModeActive());
        QCOMPARE(seen, Animation::easeInOut(0.45));
        state.toggleFireMode();
        QVERIFY(!state.isFireModeActive());
    }

    void themeRawValues()
    {
        QVERIFY(!RoomTheme::fromRawValue(QStringLiteral("Library")));
        QVERIFY(!RoomTheme::fromRawValue(QStringLiteral(" library")));
        QCOMPARE(RoomTheme::fromRawValue(QStringLiteral("library")), RoomTheme::library());
        QCOMPARE(RoomTheme::allCases().size(), 1);
        QCOMPARE(RoomTheme::library().backgroundImageName(), QStringLiteral("background"));
    }
};

PONDSILL_TEST(AppStateTest)
#include "app_state_test.moc"
