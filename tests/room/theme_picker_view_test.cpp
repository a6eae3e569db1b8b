#include "room/asset_loader.h"
#include "room/theme_picker_view.h"
#include "support/test_registry.h"

#include <QTemporaryDir>
#include <QTest>

class ThemePickerViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The one card sets its theme, as often as it is chosen, and leaves the picker open; the
    // close symbol and "Selesai" only close it.
    void onlyTheCardSetsTheTheme_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("writes");
        QTest::newRow("the card twice") << "card" << 2;
        QTest::newRow("close symbol") << "close" << 0;
        QTest::newRow("Selesai") << "done" << 0;
    }
    void onlyTheCardSetsTheTheme()
    {
        QFETCH(QString, button);
        QFETCH(int, writes);
        QTemporaryDir empty;
        AssetLoader assets({{}, {empty.path()}});
        RoomTheme theme = RoomTheme::library();
        bool presented = true;
        int themeWrites = 0;
        ThemePickerView picker({[&] { return theme; },
                                [&](RoomTheme t) {
                                    theme = t;
                                    ++themeWrites;
                                },
                                [&](bool shown) { presented = shown; }},
                               assets);
        QCOMPARE(picker.cards().size(), 1);
        ThemeCardView* card = picker.cards().first();
        QVERIFY(card->isSelected());
        QVERIFY(picker.rect().contains(card->mapRectToParent(card->rect())));
        if (button == u"card") {
            card->click();
            card->click();
        } else {
            (button == u"done" ? picker.doneButton() : picker.closeButton())->click();
        }
        QCOMPARE(themeWrites, writes);
        QCOMPARE(presented, writes > 0);
        QVERIFY(card->isSelected());
        QCOMPARE(theme, RoomTheme::library());
    }
};

PONDSILL_TEST(ThemePickerViewTest)
#include "theme_picker_view_test.moc"
