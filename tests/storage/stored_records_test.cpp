// How the JSON files in the storage folder are read and written.
#include "storage/layout_records.h"
#include "storage/sticky_note.h"
#include "support/test_registry.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QByteArray kId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
} // namespace

class StoredRecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void transformsRoundTripExactly()
    {
        const PhotoTransforms transforms = {{0, {1.25, -170, 8, -16}},
                                            {5, {0.1 + 0.2, 359.999, 1e-300, 3}}};
        const auto decoded = decodePhotoTransforms(*encodePhotoTransforms(transforms));
        QVERIFY(decoded && *decoded == transforms);
    }

    void missingOrNullNoteMembersTakeDefaults_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("null members") << QByteArray("{\"title\":null,\"pinStyle\":null,"
                                                    "\"x\":null,\"color\":null,\"id\":null}");
    }
    void missingOrNullNoteMembersTakeDefaults()
    {
        QFETCH(QByteArray, json);
        const auto notes = decodeStickyNotes('[' + json + ',' + json + ']');
        QVERIFY(notes);
        const StickyNote& note = notes->first();
        QVERIFY(!note.id.isNull() && note.id != notes->last().id);
        QCOMPARE(note.title, u"Catatan"_s);
        QCOMPARE(note.color, NoteColor::yellow);
        QCOMPARE(note.pinStyle, PinStyle::washiTape);
        QCOMPARE(note.mode, NoteMode::freeform);
        QCOMPARE((QList<double>{note.x, note.y, note.rotation}), (QList<double>{40, 40, 0}));
    }

    // Older files name some colours differently; any case is read, unknown names are lime.
    void colourAliases_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<NoteColor>("color");
        QTest::newRow("purple") << u"purple"_s << NoteColor::pink;
        QTest::newRow("green") << u"green"_s << NoteColor::mint;
        QTest::newRow("orange") << u"orange"_s << NoteColor::peach;
        QTest::newRow("black") << u"black"_s << NoteColor::dark;
        QTest::newRow("gray") << u"gray"_s << NoteColor::surface;
        QTest::newRow("capitals") << u"Lavender"_s << NoteColor::lavender;
        QTest::newRow("unknown") << u"teal"_s << NoteColor::lime;
    }
    void colourAliases()
    {
        QFETCH(QString, stored);
        const auto notes = decodeStickyNotes("[{\"color\":\"" + stored.toUtf8() + "\"}]");
        QVERIFY(notes);
        QTEST(notes->first().color, "color");
    }

    // One bad member fails the whole list, so a file is never half read.
    void strictNoteMembersFailTheList_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::newRow("pin style in other case") << QByteArray("\"pinStyle\":\"WashiTape\"");
        QTest::newRow("unknown mode") << QByteArray("\"mode\":\"Freeform\"");
        QTest::newRow("string for x") << QByteArray("\"x\":\"10\"");
        QTest::newRow("id with braces") << "\"id\":\"{" + kId + "}\"";
        QTest::newRow("task without isCompleted")
            << "\"tasks\":[{\"id\":\"" + kId + "\",\"text\":\"a\"}]";
    }
    void strictNoteMembersFailTheList()
    {
        QFETCH(QByteArray, member);
        QVERIFY(!decodeStickyNotes("[{},{" + member + "}]"));
        QVERIFY(
            decodeStickyNotes("[{},{\"unknown\":" + member.mid(member.indexOf(':') + 1) + "}]"));
    }

    void notesRoundTrip()
    {
        const auto lower = decodeStickyNotes("[{\"id\":\"" + kId.toLower() + "\"}]");
        QVERIFY(lower);
        QCOMPARE(uuidText(lower->first().id), QString::fromLatin1(kId));

        StickyNote note;
        note.title = u"a/b \"quoted\" ☕"_s;
        note.tasks = {TaskItem{QUuid::createUuid(), u"one"_s, true},
                      TaskItem{QUuid::createUuid(), u"two"_s, false}};
        note.freeformText = u"line 1\nline 2"_s;
        note.mode = NoteMode::checklist;
        note.color = NoteColor::lavender;
        note.pinStyle = PinStyle::heart;
        note.pattern = PaperPattern::dots;
        note.x = 12.345678901234567;
        note.y = -3;
        note.rotation = 1e-9;
        const auto bytes = encodeStickyNotes({note});
        QVERIFY(bytes);
        // Written compactly, ids in capitals, colours in lower case, a slash escaped.
        QVERIFY(!bytes->contains('\n'));
        QVERIFY(bytes->contains(uuidText(note.id).toUtf8()));
        QVERIFY(bytes->contains("\"color\":\"lavender\""));
        QVERIFY(bytes->contains("a\\/b"));
        const auto decoded = decodeStickyNotes(*bytes);
        QVERIFY(decoded && decoded->size() == 1 && decoded->first() == note);
    }
};

PONDSILL_TEST(StoredRecordsTest)
#include "stored_records_test.moc"
