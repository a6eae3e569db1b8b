#include "platform/desktop_icons.h"
#include "storage_fixture.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QMutex>
#include <QTest>

namespace {
// A desktop whose icons and switch live in memory; moves may come from another thread.
class FakeDesktopIcons : public DesktopIcons {
public:
    std::optional<QList<DesktopIcon>> listed = QList<DesktopIcon>();
    bool acceptsSwitch = true;
    QList<bool> switchedTo;

    std::optional<QList<DesktopIcon>> icons(QString* error) override
    {
        if (!listed && error)
            *error = u"the desktop keeps no icon positions"_s;
        return listed;
    }
    bool moveIcon(const QString& name, const QPoint& position) override
    {
        QMutexLocker lock(&m_mutex);
        m_moves.append({name, position});
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
    QList<DesktopIconMove> moves() const
    {
        QMutexLocker lock(&m_mutex);
        return m_moves;
    }

private:
    mutable QMutex m_mutex;
    QList<DesktopIconMove> m_moves;
    std::optional<bool> m_shown;
};
} // namespace

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
        if (inBackground) {
            f->moveCoveredIconsInBackground();
            QTRY_COMPARE(icons->moves().size(), 2);
        } else {
            f->moveCoveredIcons();
        }
        QCOMPARE(out.finish(), QString());
        const QList<DesktopIconMove> moves = icons->moves();
        QCOMPARE(moves.size(), 2);
        QCOMPARE(moves[0].name, u"under the shelf"_s);
        QCOMPARE(moves[0].to, QPoint(1250, 100));
        QCOMPARE(moves[1].name, quoted);
        QCOMPARE(moves[1].to, QPoint(1250, 195));
    }

    void unreadableDesktopPrintsOneLineAndMovesNothing()
    {
        StorageHome f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        icons->listed = std::nullopt;
        f.start().setDesktopIcons(icons);
        StdoutCapture out;
        f->moveCoveredIcons();
        QCOMPARE(out.finish(),
                 u"Pondsill: AppleScript error: the desktop keeps no icon positions\n"_s);
        QVERIFY(icons->moves().isEmpty());
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
