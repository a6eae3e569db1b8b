#include "cards/calendar_quick_view.h"
#include "cards/clock_quick_view.h"
#include "cards/guitar_quick_view.h"
#include "cards/monitor_quick_view.h"
#include "cards/trash_quick_view.h"
#include "cards/whats_app_quick_view.h"
#include "kit/animation_clock.h"
#include "platform/event_sounds.h"
#include "platform/user_trash.h"
#include "support/fake_app_registry.h"
#include "support/painted_look.h"
#include "support/scene_input.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
// A card alone in a shown view, with the close action counted.
struct CardScene {
    QGraphicsScene scene{0, 0, 600, 600};
    QGraphicsView view{&scene};
    int closed = 0;

    CardScene()
    {
        view.resize(600, 600);
        view.show();
        QApplication::setActiveWindow(&view);
        if (!QTest::qWaitForWindowActive(&view))
            QTest::qFail("the card's view did not become active", __FILE__, __LINE__);
    }
    std::function<void()> close()
    {
        return [this] { ++closed; };
    }
    template <typename Card> Card* show(Card* card)
    {
        scene.addItem(card);
        card->setPos(100, 100);
        return card;
    }
    QPointF centreOf(const RoomItem* item) const { return item->mapToScene(item->rect().center()); }
};

class CountingSounds : public EventSounds {
public:
    QStringList known;
    QStringList played;
    void play(const QString& id) override { played.append(id); }
    bool tryPlay(const QString& id) override
    {
        if (!known.contains(id))
            return false;
        played.append(id);
        return true;
    }
};

// Fills a Trash at `trashPath` with a file and a folder it cannot empty: a read-only mount
// with a file inside. Gives why not where the mount cannot be made.
QString fillWithAStuckFolder(const QString& trashPath, std::optional<ScratchMount>& mount)
{
    writeFile(trashPath + u"/files/a.txt"_s);
    const QString stuck = trashPath + u"/files/stuck"_s;
    QDir().mkpath(stuck);
    mount.emplace("tmpfs", stuck);
    if (!mount->isMounted())
        return u"cannot mount: "_s + mount->error();
    writeFile(stuck + u"/inside.txt"_s);
    if (!mount->makeReadOnly())
        return u"cannot make the mount read-only"_s;
    return {};
}

} // namespace

class CardsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); } // as under LANG=C
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void closeButtonPressesInAndClosesOnlyOnARelease()
    {
        AnimationClock::shared().setManual(true);
        CardScene s;
        SceneInput input(s.view);
        auto* card =
            s.show(new DesktopQuickViewCard(u"Jam"_s, u"clock.fill"_s, Qt::red, 260, s.close()));
        AppleScaleButtonStyle* button = card->closeButton();
        const QPointF on = s.centreOf(button);
        input.press(on);
        AnimationClock::shared().advance(1);
        QVERIFY(button->isHeld());
        // Released away from the button: nothing, and it springs back.
        input.move(on + QPointF(80, 60));
        input.release(on + QPointF(80, 60));
        AnimationClock::shared().advance(1);
        QCOMPARE(s.closed, 0);
        QCOMPARE(button->scale(), 1.0);
        input.click(on);
        QCOMPARE(s.closed, 1);
        AnimationClock::shared().setManual(false);
    }

    void escapeClosesTheOpenCard()
    {
        CardScene s;
        s.show(new DesktopQuickViewCard(u"Jam"_s, u"clock.fill"_s, Qt::red, 260, s.close()));
        QTest::keyClick(s.view.viewport(), Qt::Key_Escape);
        QCOMPARE(s.closed, 1);
    }

    void clockTexts_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        const QTimeZone jakarta("Asia/Jakarta");
        QTest::newRow("evening") << QDateTime(QDate(2025, 8, 17), QTime(21, 0, 5), jakarta)
                                 << u"21:00:05"_s << u"Minggu, 17 Agustus 2025"_s;
        QTest::newRow("early, single-digit day")
            << QDateTime(QDate(2026, 1, 5), QTime(7, 4, 0), jakarta) << u"07:04:00"_s
            << u"Senin, 5 Januari 2026"_s;
    }
    void clockTexts()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, time);
        QFETCH(QString, date);
        QCOMPARE(ClockQuickView::timeText(moment), time);
        QCOMPARE(ClockQuickView::dateText(moment.date()), date);
    }

    void zoneNames_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("shown");
        QTest::newRow("named zone") << QByteArray("Asia/Jakarta") << u"Asia/Jakarta (WIB)"_s;
        QTest::newRow("no name at UTC+7") << QByteArray("UTC+07:00") << u"UTC+07:00 (WIB)"_s;
        QTest::newRow("half hours behind") << QByteArray("UTC-03:30") << u"UTC-03:30 (UTC-3:30)"_s;
    }
    void zoneNames()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, shown);
        const QTimeZone tz(zone);
        QVERIFY(tz.isValid());
        QCOMPARE(ClockQuickView::zoneText(tz, QDateTime(QDate(2025, 8, 17), QTime(12, 0), tz)),
                 shown);
    }

    void clockTicksOnlyWhileItExists()
    {
        QDateTime now(QDate(2025, 8, 17), QTime(21, 0, 0));
        auto* card = new ClockQuickView({}, [&now] { return now; });
        QVERIFY(card->isTicking());
        now = now.addSecs(1);
        QTRY_COMPARE(card->shownTime(), u"21:00:01"_s);
        delete card;
    }

    void calendarStrip_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<QString>("header");
        QTest::newRow("last day of the year")
            << QDate(2025, 12, 31) << QList<int>{28, 29, 30, 31, 1, 2, 3} << u"Desember 2025"_s;
        // Clocks go forward on 30 March in Europe: still one cell a day.
        QTest::newRow("across a daylight-saving change")
            << QDate(2025, 3, 30) << QList<int>{27, 28, 29, 30, 31, 1, 2} << u"Maret 2025"_s;
    }
    void calendarStrip()
    {
        QFETCH(QDate, today);
        QFETCH(QList<int>, days);
        QFETCH(QString, header);
        const QList<CalendarQuickView::Day> strip = CalendarQuickView::strip(today);
        QList<int> shown;
        for (const CalendarQuickView::Day& day : strip) {
            shown.append(day.date.day());
            QCOMPARE(day.isToday, day.date == today);
        }
        QCOMPARE(shown, days);
        QCOMPARE(CalendarQuickView::monthYearText(today), header);
    }

    void strumTriesItsSoundsInOrder_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("known");
        QTest::addColumn<QStringList>("played");
        QTest::addColumn<bool>("beeped");
        const int electric = int(GuitarQuickView::Model::Electric);
        const int acoustic = int(GuitarQuickView::Model::Acoustic);
        QTest::newRow("acoustic, both") << acoustic << QStringList{u"complete"_s, u"bell"_s}
                                        << QStringList{u"complete"_s} << false;
        QTest::newRow("acoustic, bell only")
            << acoustic << QStringList{u"bell"_s} << QStringList{u"bell"_s} << false;
        QTest::newRow("electric never tries complete")
            << electric << QStringList{u"complete"_s} << QStringList{} << true;
    }
    void strumTriesItsSoundsInOrder()
    {
        QFETCH(int, model);
        QFETCH(QStringList, known);
        QFETCH(QStringList, played);
        QFETCH(bool, beeped);
        CountingSounds sounds;
        sounds.known = known;
        bool beep = false;
        GuitarQuickView::strum(sounds, GuitarQuickView::strumSounds(GuitarQuickView::Model(model)),
                               [&beep] { beep = true; });
        QCOMPARE(sounds.played, played);
        QCOMPARE(beep, beeped);
    }

    void emptyingTheTrashFromItsCard()
    {
        QTemporaryDir dir;
        const QString trashPath = dir.path() + u"/Trash"_s;
        for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"folder/inside.txt"_s}) {
            writeFile(trashPath + u"/files/"_s + name);
            const QString entry = name.section(u'/', 0, 0);
            writeFile(trashPath + u"/info/"_s + entry + u".trashinfo"_s, "[Trash Info]\n");
        }
        writeFile(trashPath + u"/files/.hidden"_s);
        // A link out of the Trash goes, what it points to stays.
        const QString outside = dir.path() + u"/keep.txt"_s;
        writeFile(outside, "keep");
        QVERIFY(QFile::link(outside, trashPath + u"/files/link"_s));
        UserTrash trash(trashPath);
        trash.refresh();
        CardScene s;
        SceneInput input(s.view);
        auto* card = s.show(new TrashQuickView(trash, s.close()));
        QCOMPARE(card->count(), 4);
        QVERIFY(card->emptyButton());

        input.click(s.centreOf(card->emptyButton()));
        QCOMPARE(s.closed, 1);
        QTRY_COMPARE(trash.itemCount(), 0);
        QTRY_VERIFY(!trash.isEmptying());
        QVERIFY(QFile::exists(outside));
        QCOMPARE(QDir(trashPath + u"/info"_s).entryList(QDir::Files).size(), 0);

        // Shown again, it counts afresh: nothing to empty, only the open button.
        auto* again = s.show(new TrashQuickView(trash, s.close()));
        QCOMPARE(again->count(), 0);
        QVERIFY(!again->emptyButton());
        QCOMPARE(again->openButton()->size().width(), again->contentWidth());
    }

    // A failure is not shown as an empty Trash: a Trash that cannot be listed says so, and
    // what an emptying had to leave is told under the count, and printed.
    void trashCardTellsWhatFailed_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("countLine"); // after emptying, when there is a button
        QTest::addColumn<QString>("hintLine");
        QTest::newRow("files/ cannot be listed")
            << u"unreadable"_s << TrashQuickView::unreadableText()
            << u"Seret file ke tong sampah untuk membuang"_s;
        QTest::newRow("a read-only mount inside is left")
            << u"mount"_s << TrashQuickView::countText(1) << TrashQuickView::leftText(1);
    }
    void trashCardTellsWhatFailed()
    {
        QFETCH(QString, trouble);
        QFETCH(QString, countLine);
        QFETCH(QString, hintLine);
        QTemporaryDir dir;
        const QString trashPath = dir.path() + u"/Trash"_s;
        std::optional<ScratchMount> mount;
        if (trouble == u"unreadable") {
            writeFile(trashPath + u"/files"_s, "no folder");
        } else if (const QString why = fillWithAStuckFolder(trashPath, mount); !why.isNull()) {
            QSKIP(qPrintable(why));
        }
        StdoutCapture out;
        UserTrash trash(trashPath);
        CardScene s;
        SceneInput input(s.view);
        auto* card = s.show(new TrashQuickView(trash, s.close()));
        if (card->emptyButton()) {
            input.click(s.centreOf(card->emptyButton()));
            QTRY_VERIFY(!trash.isEmptying());
            QCOMPARE(trash.itemCount(), 1);
            card = s.show(new TrashQuickView(trash, s.close()));
        }
        const QString said = out.finish();
        QCOMPARE(card->countLine(), countLine);
        QCOMPARE(card->hintLine(), hintLine);
        QVERIFY2(
            said.startsWith(trouble == u"unreadable"
                                ? u"Pondsill: tempat sampah tidak dapat dibaca: "_s
                                : u"Pondsill: tidak dapat dihapus dari tempat sampah: stuck: "_s),
            qPrintable(said));
        QCOMPARE(said.count(u'\n'), 1);
    }

    void messagingOpensTheFirstThatTakesIt_data()
    {
        QTest::addColumn<QStringList>("apps"); // desktop ids, with what they handle
        QTest::addColumn<QString>("expected"); // the one that starts
        QTest::addColumn<QString>("argument"); // what it is handed
        const QString app = u"com.github.eneshecan.WhatsAppForLinux.desktop"_s;
        QTest::newRow("the program")
            << QStringList{app, u"wa-handler.desktop"_s, u"browser.desktop"_s} << app << QString();
        QTest::newRow("the handler of its links")
            << QStringList{u"wa-handler.desktop"_s, u"browser.desktop"_s} << u"wa-handler.desktop"_s
            << u"whatsapp://"_s;
        QTest::newRow("the web client") << QStringList{u"browser.desktop"_s} << u"browser.desktop"_s
                                        << u"https://web.whatsapp.com"_s;
    }
    void messagingOpensTheFirstThatTakesIt()
    {
        QFETCH(QStringList, apps);
        QFETCH(QString, expected);
        QFETCH(QString, argument);
        FakeAppRegistry registry;
        for (const QString& id : apps) {
            if (id == u"wa-handler.desktop"_s)
                registry.addApp(id, {u"x-scheme-handler/whatsapp"_s});
            else if (id == u"browser.desktop"_s)
                registry.addApp(id, {u"x-scheme-handler/https"_s, u"x-scheme-handler/http"_s});
            else
                registry.addApp(id);
        }
        if (apps.contains(u"browser.desktop"_s)) {
            registry.setDefault(u"x-scheme-handler/https"_s, u"browser.desktop"_s);
            registry.setDefault(u"x-scheme-handler/http"_s, u"browser.desktop"_s);
        }
        if (apps.contains(u"wa-handler.desktop"_s))
            registry.setDefault(u"x-scheme-handler/whatsapp"_s, u"wa-handler.desktop"_s);
        QVERIFY(registry.waitUntilSeen());
        CardScene s;
        SceneInput input(s.view);
        auto* card = s.show(new WhatsAppQuickView(s.close()));
        input.click(s.centreOf(card->appButton()));
        QCOMPARE(s.closed, 1);
        QVERIFY(registry.launchedOnly(expected));
        if (!argument.isEmpty())
            QCOMPARE(registry.launches(expected), QStringList{argument});
    }

    // The texts beside a card's symbol or tile (the Trash's hint, a guitar's specification)
    // are shown whole: wrapped onto more lines at the card's width, never cut off with "…".
    void cardTextsAreShownWhole_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("an empty Trash")
            << u"trash"_s
            << QStringList{u"Tempat sampah kosong"_s,
                           u"Seret file ke tong sampah untuk membuang"_s};
        QTest::newRow("a Trash whose emptying left items")
            << u"trash-left"_s
            << QStringList{u"1 item di tempat sampah"_s, u"1 item tidak dapat dihapus"_s};
        QTest::newRow("the acoustic guitar")
            << u"acoustic"_s
            << QStringList{u"Dreadnought Natural Spruce"_s,
                           u"Solid Sitka • Rosewood • Phosphor Bronze"_s};
        QTest::newRow("the electric guitar")
            << u"electric"_s
            << QStringList{u"Stratocaster® Black Gloss"_s,
                           u"Maple Neck • 3 Single-Coil • Tremolo"_s};
        QTest::newRow("the monitor, for a long full name")
            << u"monitor"_s
            << QStringList{u"Raden Ayu Sekar Kinanthi Purbaningrum Wirjodiningrat"_s};
    }
    void cardTextsAreShownWhole()
    {
        QFETCH(QString, card);
        QFETCH(QStringList, texts);
        QTemporaryDir dir;
        const QString trashPath = dir.path() + u"/Trash"_s;
        std::optional<ScratchMount> mount;
        if (card == u"trash-left") {
            if (const QString why = fillWithAStuckFolder(trashPath, mount); !why.isNull())
                QSKIP(qPrintable(why));
        } else {
            QDir().mkpath(trashPath + u"/files"_s);
        }
        UserTrash trash(trashPath);
        CountingSounds sounds;
        CardScene s;
        DesktopQuickViewCard* shown = nullptr;
        if (card.startsWith(u"trash")) {
            StdoutCapture out; // what an emptying left is printed too
            if (card == u"trash-left") {
                trash.refresh();
                trash.empty();
                QTRY_VERIFY(!trash.isEmptying());
            }
            shown = s.show(new TrashQuickView(trash, s.close()));
        } else if (card == u"monitor") {
            shown = s.show(new MonitorQuickView(s.close(), {}, texts.first()));
        } else {
            const auto model = card == u"acoustic" ? GuitarQuickView::Model::Acoustic
                                                   : GuitarQuickView::Model::Electric;
            shown = s.show(new GuitarQuickView(model, sounds, {}, s.close()));
        }
        const QRectF bounds = shown->sceneBoundingRect();
        const QList<PaintedText> drawn = PaintedLook::texts(s.scene, bounds);
        QStringList words;
        for (const PaintedText& t : drawn) {
            if (t.text == shown->shownTitle() || t.text == QDir::homePath())
                continue; // the header's title and the home folder keep to one line
            QVERIFY2(!t.text.contains(u'…'), qPrintable(t.text));
            // Inside the card's padding, with a point for the glyphs' overhang.
            QVERIFY2(t.box.right() <= bounds.right() - DesktopQuickViewCard::kPadding + 1,
                     qPrintable(t.text));
            words << t.text.simplified();
        }
        const QString all = words.join(u' ');
        for (const QString& text : texts)
            QVERIFY2(all.contains(text), qPrintable(text + u" in: "_s + all));
    }

    void cardsCloseWhenNothingCanBeOpened()
    {
        FakeAppRegistry registry;
        QVERIFY(registry.waitUntilSeen());
        CardScene s;
        ClockQuickView::openClockApp(s.close());
        CalendarQuickView::openCalendarApp(s.close());
        QCOMPARE(s.closed, 2);
        QVERIFY(registry.nothingLaunched());
    }
};

PONDSILL_TEST(CardsTest)
#include "cards_test.moc"
