#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "storage_fixture.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QTest>

class ShelfMovesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Items moving between the user's folders, the shelf and the carpet. A name taken in
    // either folder is never written over: the newcomer takes a free one; the user's files
    // are shelved as links and hidden as themselves, recording where they came from.
    void moves_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("operation"); // and the path or name it is handed
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("origin");     // "entry @ where it came from"
        QTest::addColumn<QStringList>("placed"); // floor names with a stored place after
        const QString report = u"~/Desktop/report.pdf: user's"_s;
        const QString shelve = u"shelve ~/Desktop/report.pdf"_s;
        const QString shelved = u"Rak/report.pdf -> ~/Desktop/report.pdf"_s;
        const QString recorded = u"~/Desktop/report.pdf @ ~/Desktop/report.pdf"_s;
        const QStringList none;
        QTest::newRow("shelved as a link")
            << QStringList{report} << shelve << QStringList{shelved, report} << recorded << none;
        QTest::newRow("shelved, the name taken on the shelf")
            << QStringList{report, u"Rak/report.pdf: shelf's"_s} << shelve
            << QStringList{u"Rak/report (1).pdf -> ~/Desktop/report.pdf"_s,
                           u"Rak/report.pdf: shelf's"_s, report}
            << recorded << none;
        QTest::newRow("shelved, an unrelated file of the name under the carpet")
            << QStringList{report, u"Karpet/report.pdf: carpet's"_s} << shelve
            << QStringList{u"Karpet/report.pdf: carpet's"_s,
                           u"Rak/report (1).pdf -> ~/Desktop/report.pdf"_s, report}
            << recorded << QStringList{u"report.pdf"_s};
        // The room's shelf link goes alone, never to the Trash, and leaves no copy behind.
        for (const char* op : {"return", "remove"})
            QTest::addRow("a shelf link, %s", op) << QStringList{report, shelved, recorded}
                                                  << QLatin1StringView(op) + u" Rak/report.pdf"_s
                                                  << QStringList{report} << QString() << none;
        QTest::newRow("shelved, the carpet's link to it moves up") // a link of the user's
            << QStringList{report, u"Karpet/report.pdf -> ~/Desktop/report.pdf"_s} << shelve
            << QStringList{shelved, report} << QString() << none;
        // A floor link to another floor file stands for that file: the file itself goes onto
        // the shelf, so it shows in one place only.
        for (const QString& to : {u"photo.jpg"_s, u"@/Karpet/photo.jpg"_s})
            QTest::addRow("a floor link to a floor file (%s)", qPrintable(to))
                << QStringList{u"Karpet/photo.jpg: photo"_s, u"Karpet/shortcut -> "_s + to}
                << u"to shelf shortcut"_s << QStringList{u"Rak/shortcut: photo"_s} << QString()
                << none;
        QTest::newRow("to the shelf, where a real item has the name")
            << QStringList{u"Rak/a.txt: shelf's"_s, u"Karpet/a.txt: carpet's"_s}
            << u"to shelf a.txt"_s
            << QStringList{u"Rak/a (1).txt: carpet's"_s, u"Rak/a.txt: shelf's"_s} << QString()
            << none;
        QTest::newRow("to the shelf, where a shelf link has the name")
            << QStringList{u"~/Desktop/a.txt: linked"_s, u"~/Desktop/a.txt @ ~/Desktop/a.txt"_s,
                           u"Rak/a.txt -> ~/Desktop/a.txt"_s, u"Karpet/a.txt: carpet's"_s}
            << u"to shelf a.txt"_s
            << QStringList{u"Rak/a.txt: carpet's"_s, u"~/Desktop/a.txt: linked"_s} << QString()
            << none;
        for (const QString& taken : {QString(), u"Karpet"_s, u"Rak"_s}) {
            const QString name = taken.isEmpty() ? u"a.txt"_s : u"a (1).txt"_s;
            QStringList before{u"~/Desktop/a.txt: hidden"_s};
            QStringList after{u"Karpet/"_s + name + u": hidden"_s, u"~/Desktop/"_s};
            QStringList placed{name};
            if (!taken.isEmpty()) {
                before.append(taken + u"/a.txt: there"_s);
                after.append(taken + u"/a.txt: there"_s);
                if (taken == u"Karpet")
                    placed.append(u"a.txt"_s);
            }
            after.sort();
            placed.sort();
            QTest::addRow("hidden, the name taken in '%s'", qPrintable(taken))
                << before << u"hide ~/Desktop/a.txt"_s << after
                << u"Karpet/"_s + name + u" @ ~/Desktop/a.txt"_s << placed;
        }
        QTest::newRow("everything on the shelf under the carpet")
            << QStringList{u"~/Desktop/l.txt: user's"_s, u"Rak/l.txt -> ~/Desktop/l.txt"_s,
                           u"Rak/real.txt: real"_s, u"Karpet/real.txt: another"_s}
            << u"all to carpet"_s
            << QStringList{u"Karpet/l.txt -> ~/Desktop/l.txt"_s, u"Karpet/real (1).txt: real"_s,
                           u"Karpet/real.txt: another"_s, u"~/Desktop/l.txt: user's"_s}
            << QString() << QStringList{u"l.txt"_s, u"real (1).txt"_s};
    }
    void moves()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, operation);
        QFETCH(QString, origin);
        QFETCH(QStringList, placed);
        StorageHome f;
        StorageManager& storage = f.start(); // before the entries, which repair would mend
        QVERIFY(f.lay(before));
        storage.reloadAll();
        for (const QUrl& item : storage.carpetItems())
            storage.setFloorItemPosition(item.fileName(), 0.3, 0.8);
        const QString handed = operation.section(u' ', 1);
        if (operation.startsWith(u"shelve"))
            storage.addToBookshelf(url(f.path(handed)));
        else if (operation.startsWith(u"hide"))
            storage.hideUnderCarpet(url(f.path(handed)), 0.25, 0.75);
        else if (operation.startsWith(u"return"))
            storage.returnBookToDesktop(url(f.path(handed)));
        else if (operation.startsWith(u"remove"))
            storage.removeBookshelfItem(url(f.path(handed)));
        else if (operation.startsWith(u"to shelf"))
            storage.moveCarpetItemsToBookshelf({operation.section(u' ', 2)});
        else
            storage.moveAllBookshelfItemsToCarpet();

        QTEST(f.layout(), "after");
        QVERIFY(FileOperations::listEntries(f.trashRoot() + u"/files"_s, true)
                    .value_or(QStringList())
                    .isEmpty());
        QVERIFY(f.sounds.played.isEmpty());
        if (!origin.isEmpty()) {
            const QString entry = f.path(origin.section(u" @ "_s, 0, 0));
            QCOMPARE(originOf(entry), f.path(origin.section(u" @ "_s, 1)));
            QVERIFY(StorageManager::addedDate(url(entry)).secsTo(QDateTime::currentDateTimeUtc()) <
                    60);
        }
        const FloorPositions stored = f.storedPositions();
        QCOMPARE(stored.keys(), placed);
        QCOMPARE(storage.floorItemPositions(), stored);
        for (const QString& name : placed) {
            const StoredPosition expected =
                operation.startsWith(u"hide") && origin.startsWith(u"Karpet/"_s + name)
                    ? StoredPosition{0.25, 0.75}
                : operation == u"all to carpet" ? StorageManager::defaultCarpetPosition(name)
                                                : StoredPosition{0.3, 0.8};
            QCOMPARE(stored.value(name), expected);
        }
        QStringList shown = namesOf(storage.bookshelfItems()) + namesOf(storage.carpetItems());
        QStringList listed;
        for (const QString& line : f.layout())
            if (line.startsWith(u"Rak/") || line.startsWith(u"Karpet/"))
                listed.append(line.section(u'/', 1).section(u':', 0, 0).section(u" -> "_s, 0, 0));
        shown.sort();
        listed.sort();
        QCOMPARE(shown, listed);
    }

    // A file that cannot reach the shelf keeps its place on the floor.
    void failedMoveToTheShelfKeepsThePlace()
    {
        StorageHome f;
        ScratchMount mount("tmpfs", f.dir(u"Rak"_s));
        if (!mount.isMounted() || !mount.makeReadOnly())
            QSKIP(qPrintable(u"cannot mount a read-only tmpfs here: "_s + mount.error()));
        f.file(u"Karpet/a.txt"_s, "a");
        StorageManager& storage = f.start();
        storage.setFloorItemPosition(u"a.txt"_s, 0.3, 0.8);

        storage.moveCarpetItemsToBookshelf({u"a.txt"_s});

        QCOMPARE(f.read(u"Karpet/a.txt"_s), QByteArray("a"));
        QCOMPARE(storage.floorItemPositions().value(u"a.txt"_s), (StoredPosition{0.3, 0.8}));
        QCOMPARE(f.storedPositions().value(u"a.txt"_s), (StoredPosition{0.3, 0.8}));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"a.txt"_s});
    }

    void arrangingOnTheCarpetAndSpreading()
    {
        StorageHome f;
        for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s})
            f.file(u"Karpet/"_s + name);
        StorageManager& storage = f.start();
        storage.setCarpetPosition(0.5, 0.8);

        storage.arrangeCarpetItemsOnCarpet();
        // In a row on the carpet, in order of name, around its middle.
        const FloorPositions stored = f.storedPositions();
        QCOMPARE(stored.keys(), (QStringList{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}));
        QVERIFY(stored[u"a.txt"_s].x < 0.5 && qAbs(stored[u"b.txt"_s].x - 0.5) < 1e-9 &&
                stored[u"c.txt"_s].x > 0.5);
        for (const StoredPosition& position : stored)
            QCOMPARE(position.y, 0.8);

        storage.resetFloorItemPositions(); // spread: every file falls back to its default
        QVERIFY(f.storedPositions().isEmpty());
        QVERIFY(storage.floorItemPositions().isEmpty());
        QCOMPARE(storage.carpetItems().size(), 3);
    }

    void storedItemsDroppedAgain()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        const QString user = f.userFile(u"Desktop/a.txt"_s, "a");
        storage.hideUnderCarpet(url(user), 0.3, 0.7);
        const QString carpetEntry = f.carpet() + u"/a.txt"_s;

        // A floor file dropped on the floor only moves.
        storage.hideUnderCarpet(url(carpetEntry), 0.6, 0.8);
        QCOMPARE(f.entries(u"Karpet"_s), QStringList{u"a.txt"_s});
        QCOMPARE(f.storedPositions().value(u"a.txt"_s), (StoredPosition{0.6, 0.8}));
        QCOMPARE(originOf(carpetEntry), user);

        // A shelf item dropped on the shelf changes nothing.
        storage.addToBookshelf(url(carpetEntry));
        const QString shelfEntry = f.shelf() + u"/a.txt"_s;
        storage.addToBookshelf(url(shelfEntry));
        QCOMPARE(f.entries(u"Rak"_s), QStringList{u"a.txt"_s});
        QCOMPARE(originOf(shelfEntry), user);

        // A shelf item dropped on the floor keeps the place it came from.
        storage.hideUnderCarpet(url(shelfEntry), 0.2, 0.9);
        QCOMPARE(originOf(carpetEntry), user);
        QCOMPARE(f.storedPositions().value(u"a.txt"_s), (StoredPosition{0.2, 0.9}));

        // Moved onto the shelf by name, it keeps that place too, and leaves the floor.
        storage.moveCarpetItemsToBookshelf({u"a.txt"_s});
        QCOMPARE(originOf(shelfEntry), user);
        QCOMPARE(contentOf(shelfEntry), QByteArray("a"));
        QVERIFY(!f.exists(u"Karpet/a.txt"_s));
        QVERIFY(f.storedPositions().isEmpty() && storage.floorItemPositions().isEmpty());
        QCOMPARE(storage.bookshelfItems(), QList<QUrl>{url(shelfEntry)});
    }

    void linkIntoTheStorageFolderKeepsTheStoredOrigin_data()
    {
        QTest::addColumn<bool>("ontoTheShelf");
        QTest::newRow("onto the shelf") << true;
        QTest::newRow("under the carpet") << false;
    }
    void linkIntoTheStorageFolderKeepsTheStoredOrigin()
    {
        QFETCH(bool, ontoTheShelf);
        StorageHome f;
        StorageManager& storage = f.start();
        const QString user = f.userFile(u"Reports/a.txt"_s, "report");
        storage.hideUnderCarpet(url(user), 0.5, 0.8);
        const QString stored = f.carpet() + u"/a.txt"_s;

        // A shortcut on the Desktop to the hidden file is stored as a link; whatever it
        // records must not overwrite where the file itself came from.
        const QString shortcut = f.desktop() + u"/shortcut.txt"_s;
        QVERIFY(QDir().mkpath(f.desktop()));
        QVERIFY(FileOperations::createSymbolicLink(stored, shortcut));
        if (ontoTheShelf)
            storage.addToBookshelf(url(shortcut));
        else
            storage.hideUnderCarpet(url(shortcut), 0.3, 0.8);
        QCOMPARE(originOf(stored), user);

        storage.restoreCarpetItemToDesktop(url(stored));
        QCOMPARE(contentOf(user), QByteArray("report"));
    }
};

PONDSILL_TEST(ShelfMovesTest)
#include "shelf_moves_test.moc"
