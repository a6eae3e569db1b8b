#include "platform/file_operations.h"
#include "storage/storage_manager.h"
#include "storage_test_support.h"
#include "support/test_registry.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <limits>

class StorageManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartMakesTheTree()
    {
        StorageHome home;
        auto storage = home.start();
        for (const QString& folder : {home.root(), home.album(), home.shelf(), home.carpet()})
            QVERIFY2(FileOperations::isDirectory(folder), qPrintable(folder));
        QVERIFY(storage->bookshelfItems().isEmpty());
        QVERIFY(storage->carpetItems().isEmpty());
        QCOMPARE(storage->carpetPositionNorm(), (StoredPosition{0.498, 0.82}));
        QVERIFY(storage->floorItemPositions().isEmpty());
        QVERIFY(storage->photoTransforms().isEmpty());
        QVERIFY(!storage->areDesktopIconsHidden());
        QCOMPARE(storage->stickyNotes().size(), 2);
        QCOMPARE(storage->baseDirectory(), QUrl::fromLocalFile(home.root() + u'/'));
        QVERIFY(storage->isWatching());

        // The repair's closing save leaves a floor file with the defaults.
        const auto layout = decodeFloorLayout(home.read(QStringLiteral("floor_positions.json")));
        QVERIFY(layout);
        QCOMPARE(layout->carpetPosition, (StoredPosition{0.498, 0.82}));
        QVERIFY(layout->itemPositions.isEmpty());
    }

    void plainFileInPlaceOfShelfFolder()
    {
        StorageHome home;
        home.file(QStringLiteral("Rak"), "not a folder");
        home.file(QStringLiteral("Karpet/a.txt"));
        auto storage = home.start();
        QVERIFY(storage->bookshelfItems().isEmpty());
        QCOMPARE(home.read(QStringLiteral("Rak")), QByteArray("not a folder"));
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("a.txt")});
    }

    void hiddenEntriesAreNeverListed()
    {
        StorageHome home;
        home.file(QStringLiteral("Rak/.hidden"));
        home.file(QStringLiteral("Karpet/.DS_Store"));
        home.file(QStringLiteral("Karpet/shown.txt"));
        auto storage = home.start();
        QVERIFY(storage->bookshelfItems().isEmpty());
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("shown.txt")});
    }

    void carpetListing_data()
    {
        QTest::addColumn<QString>("linkDestination"); // empty: a plain file
        QTest::addColumn<bool>("alsoOnShelf");
        QTest::addColumn<bool>("onFloor");
        const QString outside = QStringLiteral("@outside");
        QTest::newRow("plain file") << QString() << false << true;
        QTest::newRow("plain file also on the shelf") << QString() << true << false;
        QTest::newRow("link to a file outside") << outside << false << true;
        QTest::newRow("relative link that resolves")
            << QStringLiteral("../outside.txt") << false << true;
        QTest::newRow("link to itself") << QStringLiteral("@self") << false << false;
        QTest::newRow("dangling link") << QStringLiteral("/nowhere/gone.txt") << false << false;
    }
    void carpetListing()
    {
        QFETCH(QString, linkDestination);
        QFETCH(bool, alsoOnShelf);
        QFETCH(bool, onFloor);
        StorageHome home;
        auto storage = home.start();
        const QString outsideFile = home.file(QStringLiteral("outside.txt"));
        const QString name = QStringLiteral("item.txt");
        if (linkDestination.isEmpty()) {
            home.file(QStringLiteral("Karpet/") + name);
        } else {
            QString destination = linkDestination;
            if (destination == u"@outside")
                destination = outsideFile;
            else if (destination == u"@self")
                destination = home.carpet() + u'/' + name;
            home.link(QStringLiteral("Karpet/") + name, destination);
        }
        if (alsoOnShelf)
            home.file(QStringLiteral("Rak/") + name);
        storage->refreshCarpetItems();
        QCOMPARE(namesOf(storage->carpetItems()), onFloor ? QStringList{name} : QStringList());
    }

    void danglingShelfLinkIsStillAShelfItem()
    {
        StorageHome home;
        auto storage = home.start();
        home.link(QStringLiteral("Rak/gone.pdf"), QStringLiteral("/nowhere/gone.pdf"));
        storage->refreshBookshelfItems();
        QCOMPARE(namesOf(storage->bookshelfItems()), QStringList{QStringLiteral("gone.pdf")});
    }

    void shelfOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<QByteArray>>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("capitals first on equal dates")
            << QStringList{QStringLiteral("a.txt"), QStringLiteral("B.txt")}
            << QList<QByteArray>{"1000", "1000"}
            << QStringList{QStringLiteral("B.txt"), QStringLiteral("a.txt")};
        QTest::newRow("oldest first")
            << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
            << QList<QByteArray>{"3000.5", "1000", "2000"}
            << QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")};
        // "é" composed and as e + combining acute sort alike, as U+00E9: after "f".
        QTest::newRow("accents composed or not")
            << QStringList{QStringLiteral("\u00e9b"), QStringLiteral("f"),
                           QStringLiteral("e\u0301a"), QStringLiteral("ez")}
            << QList<QByteArray>{"5", "5", "5", "5"}
            << QStringList{QStringLiteral("ez"), QStringLiteral("f"), QStringLiteral("e\u0301a"),
                           QStringLiteral("\u00e9b")};
        // By code point: U+FF21 (fullwidth A) before U+1F600 (an emoji), unlike UTF-16 units.
        QTest::newRow("code points above U+FFFF")
            << QStringList{QStringLiteral("\U0001F600"), QStringLiteral("\uFF21")}
            << QList<QByteArray>{"5", "5"}
            << QStringList{QStringLiteral("\uFF21"), QStringLiteral("\U0001F600")};
        QTest::newRow("unparsable date falls back to the entry's own time")
            << QStringList{QStringLiteral("new"), QStringLiteral("old")}
            << QList<QByteArray>{" 1", "1"}
            << QStringList{QStringLiteral("old"), QStringLiteral("new")};
    }
    void shelfOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<QByteArray>, added);
        QFETCH(QStringList, expected);
        StorageHome home;
        for (qsizetype i = 0; i < names.size(); ++i) {
            home.file(QStringLiteral("Rak/") + names[i]);
            home.setAdded(QStringLiteral("Rak/") + names[i], added[i]);
        }
        auto storage = home.start();
        QStringList got = namesOf(storage->bookshelfItems());
        for (QString& name : got)
            name = name.normalized(QString::NormalizationForm_C);
        for (QString& name : expected)
            name = name.normalized(QString::NormalizationForm_C);
        QCOMPARE(got, expected);
    }

    void floorPositionsRoundTrip()
    {
        StorageHome home;
        const QStringList names = {QStringLiteral("say \"hi\".txt"), QStringLiteral("😀 party.png"),
                                   QStringLiteral("Тетрадь.doc"), QStringLiteral("شقة.pdf"),
                                   QStringLiteral("a/b? no: back\\slash")};
        {
            auto storage = home.start();
            FloorPositions positions;
            for (qsizetype i = 0; i < names.size(); ++i)
                positions.insert(names[i], StoredPosition{0.1 * double(i + 1), 0.3});
            storage->setFloorItemPositions(positions);
            storage->setCarpetPositionNorm({0.25, 0.5});
            storage->saveFloorPositions();
        }
        auto storage = home.start();
        QCOMPARE(storage->carpetPositionNorm(), (StoredPosition{0.25, 0.5}));
        QCOMPARE(storage->floorItemPositions().keys().size(), names.size());
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(storage->floorItemPositions().value(names[i]).x, 0.1 * double(i + 1));
    }

    void nonFiniteFloorPositionIsNotWritten()
    {
        StorageHome home;
        auto storage = home.start();
        storage->setFloorItemPositions({{QStringLiteral("a"), {0.5, 0.5}}});
        storage->saveFloorPositions();
        const QByteArray before = home.read(QStringLiteral("floor_positions.json"));
        storage->setFloorItemPositions(
            {{QStringLiteral("a"), {std::numeric_limits<double>::quiet_NaN(), 0.5}}});
        storage->saveFloorPositions();
        QCOMPARE(home.read(QStringLiteral("floor_positions.json")), before);
    }

    void damagedFloorFileIsSetAside()
    {
        StorageHome home;
        const QByteArray truncated = "{\"carpetPosition\":{\"x\":0.3,\"y\":0.7},\"itemPosi";
        home.file(QStringLiteral("floor_positions.json"), truncated);
        auto storage = home.start();
        QCOMPARE(storage->carpetPositionNorm(), (StoredPosition{0.498, 0.82}));
        const QStringList aside =
            QDir(home.root())
                .entryList({QStringLiteral("floor_positions.damaged-*.json")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(home.read(aside.first()), truncated);
        QVERIFY(decodeFloorLayout(home.read(QStringLiteral("floor_positions.json"))));
    }

    void reloadTakesTheFilesOver()
    {
        StorageHome home;
        auto storage = home.start();
        home.file(QStringLiteral("floor_positions.json"),
                  "{\"carpetPosition\":{\"x\":0.4,\"y\":0.6},\"itemPositions\":{\"f\":{\"x\":1,"
                  "\"y\":2}}}");
        home.file(QStringLiteral("photo_transforms.json"),
                  "{\"0\":{\"scale\":2,\"rotation\":90,\"offsetX\":8,\"offsetY\":-8},\"3\":{"
                  "\"scale\":1,\"rotation\":0,\"offsetX\":0,\"offsetY\":0}}");
        storage->reloadAll();
        QCOMPARE(storage->carpetPositionNorm(), (StoredPosition{0.4, 0.6}));
        QCOMPARE(storage->floorItemPositions().value(QStringLiteral("f")), (StoredPosition{1, 2}));
        QCOMPARE(storage->photoTransforms().keys(), (QList<int>{0, 3}));
        QCOMPARE(storage->photoTransforms().value(0), (PhotoTransform{2, 90, 8, -8}));

        // An undecodable file keeps what is in memory.
        home.file(QStringLiteral("photo_transforms.json"), "{\"a\":{\"scale\":2}}");
        storage->reloadAll();
        QCOMPARE(storage->photoTransforms().keys(), (QList<int>{0, 3}));
    }

    void watcherShowsAFileCreatedOutside()
    {
        StorageHome home;
        auto storage = home.start();
        QSignalSpy spy(storage.get(), &StorageManager::carpetItemsChanged);
        home.file(QStringLiteral("Karpet/from outside.txt"));
        QTRY_COMPARE(namesOf(storage->carpetItems()),
                     QStringList{QStringLiteral("from outside.txt")});
        QTest::qWait(400);
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("from outside.txt")});
    }

    void manyFilesMovedInAtOnce()
    {
        StorageHome home;
        const QString staging = home.dir(QStringLiteral("../staging"));
        QStringList expected;
        for (int i = 0; i < 50; ++i) {
            const QString name = QStringLiteral("file %1.txt").arg(i, 2, 10, QLatin1Char('0'));
            home.file(QStringLiteral("../staging/") + name);
            expected.append(name);
        }
        auto storage = home.start();
        QSignalSpy spy(storage.get(), &StorageManager::carpetItemsChanged);
        for (const QString& name : expected)
            QVERIFY(FileOperations::renameNoReplace(staging + u'/' + name,
                                                    home.carpet() + u'/' + name));
        QTRY_COMPARE(namesOf(storage->carpetItems()), expected);
        QTest::qWait(400);
        QCOMPARE(namesOf(storage->carpetItems()), expected);
        // Events that came together were gathered into a few reloads, not fifty.
        QVERIFY2(spy.count() < 10, qPrintable(QString::number(spy.count())));
    }

    void typingSurvivesAFolderEvent()
    {
        StorageHome home;
        auto storage = home.start();
        StickyNotes notes = storage->stickyNotes();
        notes[0].freeformText = QStringLiteral("half-typed");
        storage->setStickyNotes(notes); // edited in memory, not saved yet
        QSignalSpy spy(storage.get(), &StorageManager::carpetItemsChanged);
        home.file(QStringLiteral("Karpet/new.txt"));
        QTRY_VERIFY(!spy.isEmpty());
        QCOMPARE(storage->stickyNotes().first().freeformText, QStringLiteral("half-typed"));

        // A new file put in place by another program is still taken over.
        home.file(QStringLiteral("notes.tmp"), "[{\"title\":\"from elsewhere\"}]");
        QCOMPARE(std::rename(qPrintable(home.root() + QStringLiteral("/notes.tmp")),
                             qPrintable(home.root() + QStringLiteral("/notes.json"))),
                 0);
        QTRY_COMPARE(storage->stickyNotes().first().title, QStringLiteral("from elsewhere"));
    }

    void removedFolderIsWatchedAgain()
    {
        StorageHome home;
        auto storage = home.start();
        QVERIFY(FileOperations::removeItem(home.carpet()));
        QTRY_VERIFY(!FileOperations::entryExists(home.carpet()));
        QTest::qWait(300);
        home.dir(QStringLiteral("Karpet"));
        QTest::qWait(300);
        home.file(QStringLiteral("Karpet/again.txt"));
        QTRY_COMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("again.txt")});
    }
};

PONDSILL_TEST(StorageManagerTest)
#include "storage_manager_test.moc"
