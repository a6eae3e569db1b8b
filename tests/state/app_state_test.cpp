#include "state/app_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QSettings>
#include <QTest>

#include <memory>

class AppStateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<QSettings> m_settings;

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_settings = std::make_unique<QSettings>(m_home->configHome() + QStringLiteral("/p.ini"),
                                                 QSettings::IniFormat);
    }

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
        QTest::newRow("unknown theme")
            << "theme" << QVariant(QStringLiteral("Library")) << true << true;
    }
    void preferencesFromStore()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        if (!key.isEmpty())
            m_settings->setValue(key, stored);
        const QStringList keysBefore = m_settings->allKeys();
        AppState state(m_settings.get());
        QTEST(state.lampOn(), "lampOn");
        QTEST(state.isMonitorScreenOn(), "monitorOn");
        QCOMPARE(state.currentTheme(), RoomTheme::library());
        QCOMPARE(state.activeShelfIndex(), 1);
        QCOMPARE(m_settings->allKeys(), keysBefore); // reading writes nothing

        state.setLampOn(!state.lampOn());
        state.setMonitorScreenOn(!state.isMonitorScreenOn());
        state.setCurrentTheme(RoomTheme::library());
        QSettings reread(m_settings->fileName(), QSettings::IniFormat);
        AppState next(&reread);
        QTEST(!next.lampOn(), "lampOn");
        QTEST(!next.isMonitorScreenOn(), "monitorOn");
        QCOMPARE(reread.value(QStringLiteral("theme")).toString(), QStringLiteral("library"));
    }

    void toggleQuickViewOpensAndCloses()
    {
        AppState state(m_settings.get());
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
        // Opening a card closes every other panel.
        QVERIFY(!state.activeShelfPopoverURL() && !state.showSpotifyPopup() &&
                !state.showBookshelfDrawer() && !state.showThemePicker());

        // Closing touches only the card.
        state.setShowBookshelfDrawer(true);
        state.toggleQuickView(ActiveDesktopQuickView::clock());
        QVERIFY(!state.activeQuickView());
        QCOMPARE(seen, AppState::quickViewCloseSpring);
        QVERIFY(state.showBookshelfDrawer());
        QVERIFY(!currentAnimation()); // the transaction ends with the change
    }

    void toggleSecondCardClosesOnlyTheSame_data()
    {
        using V = ActiveDesktopQuickView;
        QTest::addColumn<ActiveDesktopQuickView>("first");
        QTest::addColumn<ActiveDesktopQuickView>("second");
        QTest::addColumn<bool>("closes");
        const QUrl file = QUrl::fromLocalFile(QStringLiteral("/home/u/Karpet/a"));
        QTest::newRow("same photo slot") << V::photo(2) << V::photo(2) << true;
        QTest::newRow("other photo slot") << V::photo(2) << V::photo(3) << false;
        QTest::newRow("same carpet file") << V::carpetItem(file) << V::carpetItem(file) << true;
        QTest::newRow("url with a trailing slash")
            << V::carpetItem(file)
            << V::carpetItem(QUrl(QStringLiteral("file:///home/u/Karpet/a/"))) << false;
        QTest::newRow("mail, then whatsapp") << V::mail() << V::whatsapp() << false;
    }
    void toggleSecondCardClosesOnlyTheSame()
    {
        QFETCH(ActiveDesktopQuickView, first);
        QFETCH(ActiveDesktopQuickView, second);
        QFETCH(bool, closes);
        AppState state(m_settings.get());
        state.toggleQuickView(first);
        state.toggleQuickView(second);
        QCOMPARE(state.activeQuickView(), closes ? std::nullopt : std::optional(second));
    }
};

PONDSILL_TEST(AppStateTest)
#include "app_state_test.moc"
