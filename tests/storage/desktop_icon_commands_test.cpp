#include "platform/desktop_icons.h"
#include "storage_fixture.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QTest>

namespace {
// A desktop whose icons and switch live in memory.
class FakeDesktopIcons : public DesktopIcons {
public:
    QList<DesktopIcon> listed;
    QList<DesktopIconMove> moves;
    bool acceptsSwitch = true;
    QList<bool> switchedTo;

    std::optional<QList<DesktopIcon>> icons(QString*) override { return listed; }
    bool moveIcon(const QString& name, const QPoint& position) override
    {
        moves.append({name, position});
        return true;
    }
    std::optional<bool> iconsShown() override { return m_shown; }
    bool setIconsShown(bool value) override
    {
        switchedTo.append(value);
        if (acceptsSwitch)
            m_shown = value;
        return acceptsSwitch;
    }

private:
    std::optional<bool> m_shown;
};
} // namespace

class DesktopIconCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coveredIconsMoveToTheRightColumn()
    {
        StorageHome f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        const QString quoted = u"He said \"hi\" \\ $(rm -rf ~).txt"_s;
        icons->listed = QList<DesktopIcon>{
            {u"under the shelf"_s, QPoint(100, 700)},
            {u"free"_s, QPoint(900, 600)},
            {quoted, QPoint(600, 500)},
            {u"high up"_s, QPoint(600, 300)},
        };
        f.start().setDesktopIcons(icons);

        StdoutCapture out;
        f->moveCoveredIcons();
        QCOMPARE(out.finish(), QString());
        const QList<DesktopIconMove> moves = icons->moves;
        QCOMPARE(moves.size(), 2);
        QCOMPARE(moves[0].name, u"under the shelf"_s);
        QCOMPARE(moves[0].to, QPoint(1250, 100));
        QCOMPARE(moves[1].name, quoted);
        QCOMPARE(moves[1].to, QPoint(1250, 195));
    }

    // The room's record follows only what the desktop really switched.
    void toggleFlipsOnlyWhatTheDesktopTook_data()
    {
        QTest::addColumn<bool>("accepts");
        QTest::newRow("the desktop takes the change") << true;
        QTest::newRow("the desktop has no switch") << false;
    }
    void toggleFlipsOnlyWhatTheDesktopTook()
    {
        QFETCH(bool, accepts);
        StorageHome f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        icons->acceptsSwitch = accepts;
        StorageManager& storage = f.start();
        storage.setDesktopIcons(icons);
        QVERIFY(!storage.areDesktopIconsHidden());

        storage.toggleDesktopIcons();
        QCOMPARE(storage.areDesktopIconsHidden(), accepts);
        storage.toggleDesktopIcons();
        QVERIFY(!storage.areDesktopIconsHidden());
        // Starting from shown icons: off, then on again.
        QCOMPARE(icons->switchedTo,
                 accepts ? (QList<bool>{false, true}) : (QList<bool>{false, false}));
    }
};

PONDSILL_TEST(DesktopIconCommandsTest)
#include "desktop_icon_commands_test.moc"
