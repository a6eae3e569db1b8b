// The small rules of the carpet folder: which entries only share a shelf entry's name, and
// which of its links a survey may vouch for.
#include "platform/file_operations.h"
#include "storage/carpet_link_survey.h"
#include "storage/namesakes.h"
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QTest>

#include <cstdio>

class NamesakesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesakes_data()
    {
        QTest::addColumn<QString>("laid");
        QTest::addColumn<bool>("ofShelfLink"); // renamed while the room runs
        QTest::addColumn<bool>("secondEntry"); // removed by the start-up repair
        QTest::addColumn<QString>("free");
        const QString mine = u"~/x.txt: mine; Rak/x.txt -> ~/x.txt; "_s;
        QTest::newRow("another file by a shelf link's name")
            << mine + u"Karpet/x.txt: other"_s << true << false << u"x (1).txt"_s;
        QTest::newRow("the link's item under a second name")
            << mine + u"Karpet/x.txt == ~/x.txt"_s << false << false << u"x (1).txt"_s;
        QTest::newRow("a link to the link's item")
            << mine + u"Karpet/x.txt -> ~/x.txt"_s << false << false << u"x (1).txt"_s;
        QTest::newRow("a link to elsewhere by a shelf link's name")
            << mine + u"~/y.txt: y; Karpet/x.txt -> ~/y.txt; Rak/x (1).txt: taken"_s << true
            << false << u"x (2).txt"_s;
        QTest::newRow("the floor file the shelf link leads to")
            << u"Karpet/x.txt: mine; Rak/x.txt -> @/Karpet/x.txt"_s << false << false
            << u"x (1).txt"_s;
        QTest::newRow("a user's link by a shelf file's name")
            << u"Rak/x.txt: shelf; ~/Other/t.txt: t; Karpet/x.txt -> ~/Other/t.txt"_s << false
            << false << u"x (1).txt"_s;
        QTest::newRow("another file by a shelf file's name")
            << u"Rak/x.txt: shelf; Karpet/x.txt: other"_s << false << false << u"x (1).txt"_s;
        QTest::newRow("a carpet link to the shelf file")
            << u"Rak/x.txt: one; Karpet/x.txt -> @/Rak/x.txt"_s << false << true << u"x (1).txt"_s;
        QTest::newRow("a second name of the shelf file")
            << u"Rak/x.txt: one; Karpet/x.txt == Rak/x.txt"_s << false << true << u"x (1).txt"_s;
        QTest::newRow("a dead link by a shelf file's name")
            << u"Rak/x.txt: one; Karpet/x.txt -> ~/gone.txt"_s << false << true << u"x (1).txt"_s;
    }
    void namesakes()
    {
        QFETCH(QString, laid);
        StorageHome f;
        QVERIFY(f.lay(laid.split(u"; "_s)));
        const Namesakes namesakes(f.carpet(), f.shelf());
        QTEST(namesakes.ofShelfLink(u"x.txt"_s), "ofShelfLink");
        QTEST(namesakes.isSecondEntryOfShelfItem(u"x.txt"_s), "secondEntry");
        QTEST(namesakes.freeName(u"x.txt"_s), "free");
    }

    void linkSurvey_data()
    {
        QTest::addColumn<QString>("change"); // made between the survey and the question
        QTest::addColumn<bool>("speaks");
        QTest::newRow("nothing") << QString() << true;
        QTest::newRow("a file added") << u"Karpet/new.txt: n"_s << false;
        QTest::newRow("a link replaced by a dead one") << u"Karpet/alive -> ~/gone"_s << false;
        QTest::newRow("the folder gone") << u"gone"_s << false;
    }
    // A survey vouches for the links it found leading somewhere, and only while the carpet
    // folder is the version it listed.
    void linkSurvey()
    {
        QFETCH(QString, change);
        StorageHome f;
        QVERIFY(f.lay({u"~/t.txt: t"_s, u"Karpet/alive -> ~/t.txt"_s, u"Karpet/dead -> ~/gone"_s,
                       u"Karpet/self -> self"_s, u"Karpet/file.txt: f"_s}));
        const CarpetLinkSurvey survey = CarpetLinkSurvey::of(f.carpet());
        QVERIFY(survey.leadsSomewhere(u"alive"_s));
        for (const QString& name : {u"dead"_s, u"self"_s, u"file.txt"_s})
            QVERIFY2(!survey.leadsSomewhere(name), qPrintable(name));
        if (change == u"gone") {
            QVERIFY(QDir(f.carpet()).removeRecursively());
        } else if (!change.isEmpty()) {
            const QString entry = change.section(u' ', 0, 0);
            if (FileOperations::entryExists(f.path(entry)))
                QVERIFY(FileOperations::removeItem(f.path(entry)));
            QVERIFY(f.lay({change}));
        }
        QTEST(survey.speaksFor(FileOperations::resolvedStatus(f.carpet())), "speaks");
        QVERIFY(!CarpetLinkSurvey::of(f.path(u"none"_s))
                     .speaksFor(FileOperations::resolvedStatus(f.carpet())));
    }
};

PONDSILL_TEST(NamesakesTest)
#include "namesakes_test.moc"
