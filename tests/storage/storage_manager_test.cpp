#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QJsonDocument>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

class StorageManagerTest : public QObject {
    Q_OBJECT
    int m_signals = 0;

public Q_SLOTS:
    void count() { ++m_signals; }

private Q_SLOTS:
    // What the carpet folder shows: neither hidden names, nor what the shelf holds too, nor
    // links that lead nowhere.
    void carpetListing_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("listed");
        const QStringList item = {u"item.txt"_s};
        QTest::newRow("plain file") << QStringList{u"Karpet/item.txt: x"_s} << item;
        QTest::newRow("hidden file") << QStringList{u"Karpet/.item: x"_s} << QStringList();
        QTest::newRow("plain file also on the shelf")
            << QStringList{u"Karpet/item.txt: x"_s, u"Rak/item.txt: x"_s} << QStringList();
        QTest::newRow("link to a file outside")
            << QStringList{u"~/outside.txt: x"_s, u"Karpet/item.txt -> ~/outside.txt"_s} << item;
        QTest::newRow("relative link that resolves")
            << QStringList{u"outside.txt: x"_s, u"Karpet/item.txt -> ../outside.txt"_s} << item;
        QTest::newRow("link to itself")
            << QStringList{u"Karpet/item.txt -> @/Karpet/item.txt"_s} << QStringList();
        QTest::newRow("dangling link")
            << QStringList{u"Karpet/item.txt -> /nowhere/gone.txt"_s} << QStringList();
    }
    void carpetListing()
    {
        QFETCH(QStringList, entries);
        StorageHome f;
        StorageManager& storage = f.start(); // before the entries, which repair would mend
        QVERIFY(f.lay(entries));
        storage.refreshCarpetItems();
        QTEST(namesOf(storage.carpetItems()), "listed");
    }

    void shelfOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<QByteArray>>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("oldest first, dates as other programs write them")
            << QStringList{u"a"_s, u"b"_s, u"c"_s} << QList<QByteArray>{"3000.5", "1.5e3", "0x800"}
            << QStringList{u"b"_s, u"c"_s, u"a"_s};
        // "é" composed and as e + combining acute sort alike, as U+00E9: after "f".
        QTest::newRow("accents composed or not")
            << QStringList{u"\u00e9b"_s, u"f"_s, u"e\u0301a"_s, u"ez"_s}
            << QList<QByteArray>{"5", "5", "5", "5"}
            << QStringList{u"ez"_s, u"f"_s, u"e\u0301a"_s, u"\u00e9b"_s};
        QTest::newRow("equal dates: by code point, capitals first")
            << QStringList{u"a.txt"_s, u"B.txt"_s} << QList<QByteArray>{"7", "7"}
            << QStringList{u"B.txt"_s, u"a.txt"_s};
        // UTF-16 would put the emoji's surrogates before U+FF21.
        QTest::newRow("equal dates: above U+FFFF after U+FF21")
            << QStringList{u"\U0001F600"_s, u"\uFF21"_s} << QList<QByteArray>{"7", "7"}
            << QStringList{u"\uFF21"_s, u"\U0001F600"_s};
        QTest::newRow("unparsable date falls back to the entry's own time")
            << QStringList{u"new"_s, u"old"_s} << QList<QByteArray>{" 1", "1"}
            << QStringList{u"old"_s, u"new"_s};
    }
    void shelfOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<QByteArray>, added);
        QFETCH(QStringList, expected);
        StorageHome f;
        for (qsizetype i = 0; i < names.size(); ++i)
            ExtendedAttributes::write(f.file(u"Rak/"_s + names[i]), ExtendedAttributes::addedName,
                                      added[i]);
        QStringList got = namesOf(f.start().bookshelfItems());
        for (QString& name : got)
            name = name.normalized(QString::NormalizationForm_C);
        for (QString& name : expected)
            name = name.normalized(QString::NormalizationForm_C);
        QCOMPARE(got, expected);
    }

    // A note value that cannot be stored leaves notes.json as it was. (The floor and photo
    // files are checked where their positions and transforms are.)
    void nonFiniteNoteLeavesTheFileAlone()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        const QByteArray before = f.read(u"notes.json"_s);
        QVERIFY(!before.isEmpty());
        StickyNotes notes = storage.stickyNotes();
        notes[1].rotation = std::numeric_limits<double>::infinity();
        storage.setStickyNotes(notes);
        storage.saveNotes();
        QCOMPARE(f.read(u"notes.json"_s), before);
    }

    // What cannot be read is kept beside the file before anything is written over it.
    void damagedFilesAreSetAside_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated floor")
            << u"floor_positions.json"_s
            << QByteArray("{\"carpetPosition\":{\"x\":0.3,\"y\":0.7},\"itemPosi");
        QTest::newRow("truncated notes")
            << u"notes.json"_s << QByteArray("[{\"title\":\"My plans\",\"freeformT");
        QTest::newRow("notes with a member in the wrong case")
            << u"notes.json"_s
            << QByteArray("[{\"title\":\"My plans\",\"pinStyle\":\"WashiTape\"}]");
        QTest::newRow("notes not in a list")
            << u"notes.json"_s << QByteArray("{\"title\":\"My plans\"}");
    }
    void damagedFilesAreSetAside()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        StorageHome f;
        f.file(file, content);
        const QStringList pattern = {file.chopped(5) + u".damaged-*.json"_s};
        for (int start = 0; start < 2; ++start) { // the second start finds a good file
            f.start();
            const QStringList aside = QDir(f.root()).entryList(pattern, QDir::Files);
            QCOMPARE(aside.size(), 1);
            QCOMPARE(f.read(aside.first()), content);
            QVERIFY(!QJsonDocument::fromJson(f.read(file)).isNull());
        }
        QCOMPARE(f->carpetPositionNorm(), (StoredPosition{0.498, 0.82}));
        QCOMPARE(f->stickyNotes().size(), 2);
    }

    // The floor file keeps awkward names whole from one start to the next; a reload takes
    // the files over, unless one cannot be decoded: then what is in memory stays.
    void storedFilesAreTakenOver()
    {
        StorageHome f;
        FloorPositions positions;
        for (const QString& name :
             {u"say \"hi\".txt"_s, u"😀 party.png"_s, u"Тетрадь.doc"_s, u"a/b? no: back\\slash"_s})
            positions.insert(name, StoredPosition{0.1 * double(positions.size() + 1), 0.3});
        f.start().setFloorItemPositions(positions);
        f->setCarpetPositionNorm({0.25, 0.5});
        f->saveFloorPositions();
        StorageManager& storage = f.start();
        QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.25, 0.5}));
        QCOMPARE(storage.floorItemPositions(), positions);

        f.file(u"floor_positions.json"_s, "{\"carpetPosition\":{\"x\":0.4,\"y\":0.6},"
                                          "\"itemPositions\":{\"f\":{\"x\":1,\"y\":2}}}");
        f.file(u"photo_transforms.json"_s,
               "{\"0\":{\"scale\":2,\"rotation\":90,\"offsetX\":8,\"offsetY\":-8}}");
        storage.reloadAll();
        QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.4, 0.6}));
        QCOMPARE(storage.floorItemPositions(), (FloorPositions{{u"f"_s, {1, 2}}}));
        QCOMPARE(storage.photoTransforms(), (PhotoTransforms{{0, {2, 90, 8, -8}}}));
        f.file(u"photo_transforms.json"_s, "{\"a\":{\"scale\":2}}");
        storage.reloadAll();
        QCOMPARE(storage.photoTransforms().keys(), QList<int>{0});
    }

    // What the room does itself is not read back as news: no published field changes
    // once the folder events of its own writes and moves have come and gone.
    void ownChangesCauseNoReload_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("floor position") << 0;
        QTest::newRow("carpet position") << 1;
        QTest::newRow("note saved") << 2;
        QTest::newRow("photo transform") << 3;
        QTest::newRow("file hidden under the carpet") << 4;
        QTest::newRow("file put on the shelf") << 5;
    }
    void ownChangesCauseNoReload()
    {
        QFETCH(int, change);
        StorageHome f;
        f.file(u"Karpet/a.txt"_s);
        const QString outside = f.userFile(u"Unduhan/b.txt"_s);
        StorageManager& storage = f.start();
        QTest::qWait(300); // the start-up's own folder events
        const std::vector<std::function<void()>> changes = {
            [&] { storage.setFloorItemPosition(u"a.txt"_s, 0.3, 0.7); },
            [&] { storage.setCarpetPosition(0.4, 0.8); },
            [&] {
                StickyNotes notes = storage.stickyNotes();
                notes[0].title = u"typed"_s;
                storage.setStickyNotes(notes);
                storage.saveNotes();
            },
            [&] { storage.setPhotoTransform(0, 1.5, 90, 4, 4); },
            [&] { storage.hideUnderCarpet(url(outside), 0.5, 0.6); },
            [&] { storage.addToBookshelf(url(outside)); },
        };
        changes[size_t(change)]();
        const QMetaObject* meta = storage.metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            if (meta->property(i).hasNotifySignal())
                connect(&storage, meta->property(i).notifySignal(), this,
                        metaObject()->method(metaObject()->indexOfSlot("count()")));
        }
        m_signals = 0;
        QTest::qWait(500);
        QCOMPARE(m_signals, 0);

        // Something another program does in the same folders still shows.
        f.file(u"Karpet/c.txt"_s);
        QTRY_VERIFY(namesOf(storage.carpetItems()).contains(u"c.txt"_s));
    }

    // Unsaved typing survives a folder event; files another program puts in place are
    // taken over.
    void typingSurvivesAFolderEvent()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        StickyNotes notes = storage.stickyNotes();
        notes[0].freeformText = u"half-typed"_s;
        storage.setStickyNotes(notes); // edited in memory, not saved yet
        QSignalSpy spy(&storage, &StorageManager::carpetItemsChanged);
        f.file(u"Karpet/new.txt"_s);
        QTRY_VERIFY(!spy.isEmpty());
        QCOMPARE(storage.stickyNotes().first().freeformText, u"half-typed"_s);

        storage.setCarpetPosition(0.4, 0.8); // the room's own write, then another program's
        f.file(u"floor.tmp"_s, "{\"carpetPosition\":{\"x\":0.3,\"y\":0.6},\"itemPositions\":{}}");
        f.file(u"notes.tmp"_s, "[{\"title\":\"from elsewhere\"}]");
        for (const auto& [from, to] :
             {std::pair{"floor.tmp", "floor_positions.json"}, std::pair{"notes.tmp", "notes.json"}})
            QCOMPARE(std::rename(qPrintable(f.root() + u'/' + QLatin1StringView(from)),
                                 qPrintable(f.root() + u'/' + QLatin1StringView(to))),
                     0);
        QTRY_COMPARE(storage.stickyNotes().first().title, u"from elsewhere"_s);
        QTRY_COMPARE(storage.carpetPositionNorm(), (StoredPosition{0.3, 0.6}));
    }
};

PONDSILL_TEST(StorageManagerTest)
#include "storage_manager_test.moc"
