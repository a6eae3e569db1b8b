#include "move_test_support.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QTest>

class DesktopIconCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coveredIconsMoveToTheRightColumn_data()
    {
        QTest::addColumn<bool>("inBackground");
        QTest::newRow("on the calling thread") << false;
        QTest::newRow("in the background") << true;
    }
    void coveredIconsMoveToTheRightColumn()
    {
        QFETCH(bool, inBackground);
        MoveFixture f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        const QString quoted = QStringLiteral("He said \"hi\" \\ $(rm -rf ~).txt");
        icons->listed = QList<DesktopIcon>{
            {QStringLiteral("under the shelf"), QPoint(100, 700)},
            {QStringLiteral("free"), QPoint(900, 600)},
            {quoted, QPoint(600, 500)},
            {QStringLiteral("high up"), QPoint(600, 300)},
        };
        f.storage->setDesktopIcons(icons);

        StdoutCapture out;
        if (inBackground) {
            f.storage->moveCoveredIconsInBackground();
            QTRY_COMPARE(icons->moves().size(), 2);
        } else {
            f.storage->moveCoveredIcons();
        }
        QCOMPARE(out.finish(), QString());
        const QList<DesktopIconMove> moves = icons->moves();
        QCOMPARE(moves.size(), 2);
        QCOMPARE(moves[0].name, QStringLiteral("under the shelf"));
        QCOMPARE(moves[0].to, QPoint(1250, 100));
        QCOMPARE(moves[1].name, quoted);
        QCOMPARE(moves[1].to, QPoint(1250, 195));
    }

    void unreadableDesktopPrintsOneLineAndMovesNothing()
    {
        MoveFixture f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        icons->listed = std::nullopt;
        icons->listError = QStringLiteral("the desktop keeps no icon positions");
        f.storage->setDesktopIcons(icons);
        StdoutCapture out;
        f.storage->moveCoveredIcons();
        QCOMPARE(
            out.finish(),
            QStringLiteral("Pondsill: AppleScript error: the desktop keeps no icon positions\n"));
        QVERIFY(icons->moves().isEmpty());
    }

    void toggleFlipsOnlyWhatTheDesktopTook_data()
    {
        QTest::addColumn<bool>("accepts");
        QTest::newRow("the desktop takes the change") << true;
        QTest::newRow("the desktop has no switch") << false;
    }
    void toggleFlipsOnlyWhatTheDesktopTook()
    {
        QFETCH(bool, accepts);
        MoveFixture f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        icons->acceptsSwitch = accepts;
        f.storage->setDesktopIcons(icons);
        QVERIFY(!f.storage->areDesktopIconsHidden());

        f.storage->toggleDesktopIcons();
        QCOMPARE(f.storage->areDesktopIconsHidden(), accepts);
        f.storage->toggleDesktopIcons();
        QVERIFY(!f.storage->areDesktopIconsHidden());
        // Starting from shown icons: off, then on again.
        QCOMPARE(icons->switchedTo,
                 accepts ? (QList<bool>{false, true}) : (QList<bool>{false, false}));
    }
};

PONDSILL_TEST(DesktopIconCommandsTest)
#include "desktop_icon_commands_test.moc"
