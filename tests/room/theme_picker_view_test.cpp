#include "room/asset_loader.h"
#include "room/theme_picker_view.h"
#include "state/tolvane_colors.h"
#include "support/test_registry.h"

#include <QTemporaryDir>
#include <QTest>

class ThemePickerViewTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_empty;
    RoomTheme m_theme;
    bool m_presented = true;
    int m_themeWrites = 0;

    ThemePickerView::Bindings bindings()
    {
        return {[this] { return m_theme; },
                [this](RoomTheme t) {
                    m_theme = t;
                    ++m_themeWrites;
                },
                [this](bool shown) { m_presented = shown; }};
    }

private Q_SLOTS:
    void init()
    {
        m_theme = RoomTheme::library();
        m_presented = true;
        m_themeWrites = 0;
    }

    void oneCardDrawnSelected()
    {
        AssetLoader assets({{}, {m_empty.path()}});
        ThemePickerView picker(bindings(), assets);
        QCOMPARE(picker.cards().size(), 1);
        QVERIFY(picker.cards().first()->isSelected());
        QCOMPARE(picker.size().width(), 320.0);
        QVERIFY(picker.size().height() > ThemeCardView::kSize.height() + 100);
        // The card lies inside the sheet with its margins.
        const QRectF card = picker.cards().first()->mapRectToParent(picker.cards().first()->rect());
        QVERIFY(picker.rect().contains(card));
    }

    void choosingACardKeepsThePickerOpen()
    {
        AssetLoader assets({{}, {m_empty.path()}});
        ThemePickerView picker(bindings(), assets);
        picker.cards().first()->click();
        picker.cards().first()->click();
        QCOMPARE(m_themeWrites, 2); // the same theme, set again
        QVERIFY(m_presented);
        QVERIFY(picker.cards().first()->isSelected());
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
        AssetLoader assets({{}, {m_empty.path()}});
        ThemePickerView picker(bindings(), assets);
        (done ? picker.doneButton() : picker.closeButton())->click();
        QVERIFY(!m_presented);
        QCOMPARE(m_themeWrites, 0);
    }
};

PONDSILL_TEST(ThemePickerViewTest)
#include "theme_picker_view_test.moc"
