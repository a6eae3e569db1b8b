// What the room finds at start and mends: older folders moving in, a second entry for one
// file, links whose item is gone and links that go the long way round. What it mends never
// costs a file of the user's.
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QTest>

namespace {
// A floor file holding the carpet at (0.3, 0.7) and one position for each name.
QByteArray floorFile(const QStringList& names)
{
    QByteArray items;
    for (const QString& name : names)
        items += (items.isEmpty() ? "\"" : ",\"") + name.toUtf8() + "\":{\"x\":0.5,\"y\":0.5}";
    return "{\"carpetPosition\":{\"x\":0.3,\"y\":0.7},\"itemPositions\":{" + items + "}}";
}

QString shownItems(const StorageManager& storage)
{
    QStringList shelf = namesOf(storage.bookshelfItems());
    QStringList carpet = namesOf(storage.carpetItems());
    shelf.sort();
    carpet.sort();
    return shelf.join(u", "_s) + u" | "_s + carpet.join(u", "_s);
}
} // namespace

class RepairTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void repairAtStart_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");  // empty: as before
        QTest::addColumn<QStringList>("placed"); // floor names with a stored place, before
        QTest::addColumn<QStringList>("kept");   // and after
        QTest::addColumn<QString>("shown");      // shelf items | carpet items
        const QStringList none;

        QTest::newRow("older sub-folders move in with free names")
            << QStringList{u"Rak/a.pdf: shelf"_s, u"books/a.pdf: legacy"_s, u"books/.hidden: h"_s,
                           u"photos/p.jpg: p"_s, u"rug/r.txt: r"_s}
            << QStringList{u"Album/p.jpg: p"_s,   u"Karpet/r.txt: r"_s,
                           u"Rak/.hidden: h"_s,   u"Rak/a (1).pdf: legacy"_s,
                           u"Rak/a.pdf: shelf"_s, u"books/"_s,
                           u"photos/"_s,          u"rug/"_s}
            << none << none << u"a (1).pdf, a.pdf | r.txt"_s;
        // A link named like an older folder points at someone's files elsewhere.
        for (const QString& name :
             {u"books"_s, u"rug"_s, u"~/Marrowick"_s, u"~/Marrowick/Bookshelf"_s})
            QTest::addRow("a link named %s is left alone", qPrintable(name))
                << QStringList{u"~/Projects/Bookshelf/keep.txt: k"_s, u"~/Projects/keep.txt: k"_s,
                               name + u" -> ~/Projects"_s}
                << none << none << none << u" | "_s;
        QTest::newRow("a plain file in place of the shelf folder")
            << QStringList{u"Rak: not a folder"_s, u"Karpet/a.txt: a"_s} << none << none << none
            << u" | a.txt"_s;

        // A carpet file named like a shelf item is someone's other file: it gets a name free
        // in both folders and keeps its place on the floor.
        QTest::newRow("same name, another file")
            << QStringList{u"Rak/x.txt: shelf"_s, u"Karpet/x.txt: other"_s}
            << QStringList{u"Karpet/x (1).txt: other"_s, u"Rak/x.txt: shelf"_s}
            << QStringList{u"x.txt"_s} << QStringList{u"x (1).txt"_s} << u"x.txt | x (1).txt"_s;
        QTest::newRow("same name, the next one taken on the shelf too")
            << QStringList{u"Rak/x.txt: shelf"_s, u"Rak/x (1).txt: shelf"_s,
                           u"Karpet/x.txt: other"_s}
            << QStringList{u"Karpet/x (2).txt: other"_s, u"Rak/x (1).txt: shelf"_s,
                           u"Rak/x.txt: shelf"_s}
            << QStringList{u"x.txt"_s} << QStringList{u"x (2).txt"_s}
            << u"x (1).txt, x.txt | x (2).txt"_s;
        QTest::newRow("the same file's second name under the carpet goes")
            << QStringList{u"Rak/x.txt: one"_s, u"Karpet/x.txt == Rak/x.txt"_s}
            << QStringList{u"Rak/x.txt: one"_s} << QStringList{u"x.txt"_s, u"other"_s}
            << QStringList{u"other"_s} << u"x.txt | "_s;
        QTest::newRow("a carpet link to a shelf file goes")
            << QStringList{u"Rak/x.txt: one"_s, u"Karpet/x.txt -> @/Rak/x.txt"_s}
            << QStringList{u"Rak/x.txt: one"_s} << QStringList{u"x.txt"_s, u"other"_s}
            << QStringList{u"other"_s} << u"x.txt | "_s;
        for (const QString& to : {u"@/Karpet/y.doc"_s, u"../Karpet/y.doc"_s})
            QTest::addRow("a shelf link into the carpet becomes the item (%s)", qPrintable(to))
                << QStringList{u"Karpet/y.doc: item"_s, u"Rak/y.doc -> "_s + to,
                               u"Karpet/stays.txt: s"_s}
                << QStringList{u"Karpet/stays.txt: s"_s, u"Rak/y.doc: item"_s}
                << QStringList{u"y.doc"_s, u"stays.txt"_s} << QStringList{u"stays.txt"_s}
                << u"y.doc | stays.txt"_s;
        for (const QString& to : {u"~/Desktop/z.txt"_s, u"../../../Desktop/z.txt"_s})
            QTest::addRow("a shelf link through a carpet link (%s)", qPrintable(to))
                << QStringList{u"~/Desktop/z.txt: z"_s, u"Karpet/z -> "_s + to,
                               u"Rak/z -> @/Karpet/z"_s}
                << QStringList{u"Rak/z -> ~/Desktop/z.txt"_s, u"~/Desktop/z.txt: z"_s} << none
                << none << u"z | "_s;
        QTest::newRow("links whose item is gone")
            << QStringList{u"Rak/gone.pdf -> ~/Documents/gone.pdf"_s,
                           u"Rak/gone in carpet -> @/Karpet/none"_s,
                           u"Karpet/self -> @/Karpet/self"_s, u"Karpet/dangling -> ~/Documents/x"_s,
                           u"Karpet/kept.txt: k"_s}
            << QStringList{u"Karpet/kept.txt: k"_s}
            << QStringList{u"self"_s, u"dangling"_s, u"kept.txt"_s} << QStringList{u"kept.txt"_s}
            << u" | kept.txt"_s;
        // Only what lies inside the carpet folder is a carpet item.
        for (const QString& to : {u"@/Karpet2/f.txt"_s, u"@/Karpet"_s})
            QTest::addRow("a shelf link to %s is ordinary", qPrintable(to))
                << QStringList{u"Karpet2/f.txt: sibling"_s, u"Karpet/under.txt: u"_s,
                               u"Rak/link -> "_s + to}
                << none << none << none << u"link | under.txt"_s;
        QTest::newRow("hidden entries are not touched")
            << QStringList{u"Rak/.dangling -> /nowhere"_s, u"Rak/.same: a"_s, u"Karpet/.same: b"_s}
            << none << none << none << u" | "_s;
    }
    void repairAtStart()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QStringList, placed);
        QFETCH(QStringList, kept);
        StorageHome f;
        QVERIFY(f.lay(before));
        if (!placed.isEmpty())
            f.file(u"floor_positions.json"_s, floorFile(placed));
        if (after.isEmpty())
            after = f.layout();
        StorageManager& storage = f.start();
        QCOMPARE(f.layout().join(u"; "_s), after.join(u"; "_s));
        QTEST(shownItems(storage), "shown");
        QCOMPARE(storage.floorItemPositions().keys(), kept);
        QCOMPARE(f.storedPositions(), storage.floorItemPositions());
        if (!placed.isEmpty()) // the stored layout of what is still on the floor survives
            QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.3, 0.7}));
    }

    // The older home folder is copied in; its notes never replace the current ones.
    void legacyHomeFolder()
    {
        StorageHome f;
        f.lay({u"~/Marrowick/Bookshelf/b.txt: b"_s, u"~/Marrowick/MagicCarpet/c.txt: c"_s,
               u"~/Marrowick/Photos/p.png: p"_s,
               u"~/Marrowick/notes.json: [{\"title\":\"old\"}]"_s});
        StorageManager& storage = f.start();
        QCOMPARE(f.layout().join(u"; "_s),
                 (QStringList{u"Album/p.png: p"_s, u"Karpet/c.txt: c"_s, u"Rak/b.txt: b"_s,
                              u"~/Marrowick/Bookshelf/"_s, u"~/Marrowick/MagicCarpet/"_s,
                              u"~/Marrowick/Photos/"_s,
                              u"~/Marrowick/notes.json: [{\"title\":\"old\"}]"_s})
                     .join(u"; "_s));
        QCOMPARE(storage.stickyNotes().first().title, u"old"_s);
        f.file(u"notes.json"_s, "[{\"title\":\"current\"}]");
        QCOMPARE(f.start().stickyNotes().first().title, u"current"_s);
    }
};

PONDSILL_TEST(RepairTest)
#include "repair_test.moc"
