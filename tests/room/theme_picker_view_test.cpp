#include "room/asset_loader.h"
#include "room/theme_picker_view.h"
#include "support/test_registry.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

class ThemePickerViewTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_empty;
    RoomTheme m_theme;
    bool m_presented = true;
    int m_themeWrites = 0;
    std::unique_ptr<AssetLoader> m_assets;
    std::unique_ptr<ThemePickerView> m_picker;

private Q_SLOTS:
    void init()
    {
        m_theme = RoomTheme::library();
        m_presented = true;
        m_themeWrites = 0;
        m_assets = std::make_unique<AssetLoader>(AssetLoader::Locations{{}, {m_empty.path()}});
        ThemePickerView::Bindings bindings{[this] { return m_theme; },
                                           [this](RoomTheme t) {
                                               m_theme = t;
                                               ++m_themeWrites;
                                           },
                                           [this](bool shown) { m_presented = shown; }};
        m_picker = std::make_unique<ThemePickerView>(bindings, *m_assets);
    }
    void cleanup() { m_picker.reset(); }

    void choosingTheCardKeepsThePickerOpen()
    {
        ThemeCardView* card = m_picker->cards().first();
        QCOMPARE(m_picker->cards().size(), 1);
        QVERIFY(card->isSelected());
        QVERIFY(m_picker->rect().contains(card->mapRectToParent(card->rect())));
        card->click();
        card->click();
        QCOMPARE(m_themeWrites, 2); // the same theme, set again
        QVERIFY(m_presented);
        QVERIFY(card->isSelected());
    }

    void closeAndDoneOnlyClose_data()
    {
        QTest::addColumn<bool>("done");
        QTest::newRow("close symbol") << false;
        QTest::newRow("Selesai") << true;
    }
    void closeAndDoneOnlyClose()
    {
        QFETCH(bool, done);
        (done ? m_picker->doneButton() : m_picker->closeButton())->click();
        QVERIFY(!m_presented);
        QCOMPARE(m_themeWrites, 0);
    }
};

PONDSILL_TEST(ThemePickerViewTest)
#include "theme_picker_view_test.moc"
