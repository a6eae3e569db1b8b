#include "storage/sticky_note.h"
#include "support/test_registry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <limits>

namespace {
const QString kId = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");

std::optional<StickyNote> decodeText(const QByteArray& json)
{
    const auto notes = decodeStickyNotes('[' + json + ']');
    if (!notes)
        return std::nullopt;
    return notes->first();
}
} // namespace

class StickyNoteTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyObjectTakesEveryDefault()
    {
        const auto first = decodeText("{}");
        const auto second = decodeText("{}");
        QVERIFY(first && second);
        QVERIFY(!first->id.isNull());
        QVERIFY(first->id != second->id);
        QCOMPARE(first->title, QStringLiteral("Catatan"));
        QVERIFY(first->tasks.isEmpty());
        QCOMPARE(first->freeformText, QString());
        QCOMPARE(first->mode, NoteMode::freeform);
        QCOMPARE(first->color, NoteColor::yellow);
        QCOMPARE(first->pinStyle, PinStyle::washiTape);
        QCOMPARE(first->pattern, PaperPattern::plain);
        QCOMPARE(first->x, 40.0);
        QCOMPARE(first->y, 40.0);
        QCOMPARE(first->rotation, 0.0);
    }

    void nullMembersTakeDefaults()
    {
        const auto note = decodeText("{\"title\":null,\"pinStyle\":null,\"x\":null,"
                                     "\"color\":null,\"tasks\":null,\"id\":null}");
        QVERIFY(note);
        QCOMPARE(note->title, QStringLiteral("Catatan"));
        QCOMPARE(note->pinStyle, PinStyle::washiTape);
        QCOMPARE(note->x, 40.0);
        QCOMPARE(note->color, NoteColor::yellow);
    }

    void colourNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<NoteColor>("color");
        QTest::newRow("purple in capitals") << "PURPLE" << NoteColor::pink;
        QTest::newRow("grey with an e") << "grey" << NoteColor::lime;
        QTest::newRow("teal") << "teal" << NoteColor::lime;
        QTest::newRow("Gray") << "Gray" << NoteColor::surface;
        QTest::newRow("green") << "green" << NoteColor::mint;
        QTest::newRow("orange") << "Orange" << NoteColor::peach;
        QTest::newRow("black") << "black" << NoteColor::dark;
        QTest::newRow("lime") << "lime" << NoteColor::lime;
        QTest::newRow("empty") << "" << NoteColor::lime;
        for (NoteColor c : allNoteColors())
            QTest::newRow(qPrintable(rawValue(c))) << rawValue(c) << c;
    }
    void colourNames()
    {
        QFETCH(QString, text);
        QFETCH(NoteColor, color);
        const QJsonObject object{{QStringLiteral("color"), text}};
        const auto note = decodeStickyNote(object);
        QVERIFY(note);
        QCOMPARE(note->color, color);
    }

    // One bad member fails the whole list, so a file is never half read.
    void strictMembersFailTheList_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::newRow("pin style in other case") << QByteArray("\"pinStyle\":\"WashiTape\"");
        QTest::newRow("unknown pattern") << QByteArray("\"pattern\":\"grid\"");
        QTest::newRow("unknown mode") << QByteArray("\"mode\":\"Freeform\"");
        QTest::newRow("number for title") << QByteArray("\"title\":3");
        QTest::newRow("string for x") << QByteArray("\"x\":\"10\"");
        QTest::newRow("colour not a string") << QByteArray("\"color\":1");
        QTest::newRow("id not an identifier") << QByteArray("\"id\":\"abc\"");
        QTest::newRow("id with braces")
            << QByteArray("\"id\":\"{6F9619FF-8B86-D011-B42D-00C04FC964FF}\"");
        QTest::newRow("task without isCompleted")
            << QByteArray("\"tasks\":[{\"id\":\"6F9619FF-8B86-D011-B42D-00C04FC964FF\","
                          "\"text\":\"a\"}]");
        QTest::newRow("task with null text")
            << QByteArray("\"tasks\":[{\"id\":\"6F9619FF-8B86-D011-B42D-00C04FC964FF\","
                          "\"text\":null,\"isCompleted\":false}]");
        QTest::newRow("tasks not a list") << QByteArray("\"tasks\":{}");
    }
    void strictMembersFailTheList()
    {
        QFETCH(QByteArray, member);
        QVERIFY(!decodeStickyNotes("[{},{" + member + "}]"));
        QVERIFY(
            decodeStickyNotes("[{},{\"unknown\":" + member.mid(member.indexOf(':') + 1) + "}]"));
    }

    void notAListIsRefused()
    {
        QVERIFY(!decodeStickyNotes("{}"));
        QVERIFY(!decodeStickyNotes("[1]"));
        QVERIFY(!decodeStickyNotes("[{}"));
        QCOMPARE(decodeStickyNotes("[]")->size(), 0);
    }

    void identifiersInEitherCase()
    {
        const auto upper = decodeText("{\"id\":\"" + kId.toUtf8() + "\"}");
        const auto lower = decodeText("{\"id\":\"" + kId.toLower().toUtf8() + "\"}");
        QVERIFY(upper && lower);
        QCOMPARE(upper->id, lower->id);
        QCOMPARE(uuidText(lower->id), kId);
    }

    void encodeThenDecodeKeepsEveryValue()
    {
        StickyNote note;
        note.title = QStringLiteral("a/b \"quoted\" ☕");
        note.tasks = {TaskItem{QUuid::createUuid(), QStringLiteral("one"), true},
                      TaskItem{QUuid::createUuid(), QStringLiteral("two"), false}};
        note.freeformText = QStringLiteral("line 1\nline 2");
        note.mode = NoteMode::checklist;
        note.color = NoteColor::lavender;
        note.pinStyle = PinStyle::heart;
        note.pattern = PaperPattern::dots;
        note.x = 12.345678901234567;
        note.y = -3;
        note.rotation = 1e-9;
        const auto bytes = encodeStickyNotes({note});
        QVERIFY(bytes);
        // Written compactly, ids in capitals, a slash escaped.
        QVERIFY(!bytes->contains('\n'));
        QVERIFY(bytes->contains(uuidText(note.id).toUtf8()));
        QVERIFY(bytes->contains("a\\/b"));
        const auto decoded = decodeStickyNotes(*bytes);
        QVERIFY(decoded);
        QCOMPARE(decoded->size(), 1);
        QVERIFY(decoded->first() == note);
        const QJsonObject object = QJsonDocument::fromJson(*bytes).array().first().toObject();
        QCOMPARE(object.keys().size(), 11);
    }

    void colourWrittenInLowerCase()
    {
        const auto note = decodeText("{\"color\":\"BLUE\"}");
        QVERIFY(note);
        const auto bytes = encodeStickyNotes({*note});
        QVERIFY(bytes && bytes->contains("\"color\":\"blue\""));
    }

    void nonFiniteNumbersCannotBeEncoded_data()
    {
        QTest::addColumn<int>("field");
        QTest::newRow("x") << 0;
        QTest::newRow("y") << 1;
        QTest::newRow("rotation") << 2;
    }
    void nonFiniteNumbersCannotBeEncoded()
    {
        QFETCH(int, field);
        StickyNote note;
        double* values[] = {&note.x, &note.y, &note.rotation};
        *values[field] = field == 2 ? std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::quiet_NaN();
        QVERIFY(!encodeStickyNotes({StickyNote{}, note}));
    }
};

PONDSILL_TEST(StickyNoteTest)
#include "sticky_note_test.moc"
