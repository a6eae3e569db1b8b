// Which versions of a note count as ones the board showed before: another program that
// writes one of them back hands back a stale copy, not a change of its own.
#include "storage/json_file.h"
#include "storage/note_versions.h"
#include "support/test_registry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A board whose notes are written as the room writes them: each note's text kept, and
// written afresh only when the note changed.
struct Board {
    NoteVersions versions;
    QHash<QString, QUuid> ids;
    QHash<QUuid, std::pair<StickyNote, QByteArray>> written;

    // "A1": note A with the text "isi 1".
    StickyNote version(const QString& name)
    {
        StickyNote note;
        note.id = ids.value(name.left(1), note.id);
        ids.insert(name.left(1), note.id);
        note.title = name.left(1);
        note.freeformText = u"isi "_s + name.mid(1);
        return note;
    }
    void step(const QString& what, const QStringList& names)
    {
        QList<StickyNote> notes;
        for (const QString& name : names)
            notes.append(version(name));
        if (what == u"take") {
            versions.takeFromFile(notes);
            return;
        }
        QHash<QUuid, std::pair<StickyNote, QByteArray>> now;
        for (const StickyNote& note : notes) {
            const auto was = written.constFind(note.id);
            if (was == written.cend() || was->first != note)
                versions.writing(note, was == written.cend() ? nullptr : &was->first,
                                 was == written.cend() ? QByteArray() : was->second);
            now.insert(note.id, {note, JsonFile::compact(
                                           QJsonDocument(encodeStickyNote(note)->toObject()))});
        }
        versions.written(now.size(), [&now](const QUuid& id) { return now.contains(id); });
        written = now;
    }
};

} // namespace

class NoteVersionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void earlierVersions_data()
    {
        // Steps: "take" the notes shown as taken from the file (loaded or merged), "write"
        // them; "write A1-9" writes A1 to A9 one after another.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("earlier");
        QTest::addColumn<QStringList>("notEarlier");
        QTest::newRow("typed after loading")
            << QStringList{u"take A0 B0"_s, u"write A1 B0"_s, u"write A2 B0"_s}
            << QStringList{u"A0"_s, u"A1"_s} << QStringList{u"A2"_s, u"B0"_s};
        QTest::newRow("merged before the first save")
            << QStringList{u"take A0 B0"_s, u"take A1 B1"_s, u"write A1 B1"_s, u"write A2 B1"_s}
            << QStringList{u"A0"_s, u"A1"_s, u"B0"_s} << QStringList{u"A2"_s, u"B1"_s};
        QTest::newRow("merged twice before a save")
            << QStringList{u"take A0 B0"_s, u"take A0 B1"_s, u"take A1 B1"_s}
            << QStringList{u"A0"_s, u"B0"_s} << QStringList{u"A1"_s, u"B1"_s};
        QTest::newRow("another program's version after the room's")
            << QStringList{u"take A0"_s, u"write A1"_s, u"take A2"_s, u"write A3"_s}
            << QStringList{u"A0"_s, u"A1"_s, u"A2"_s} << QStringList{u"A3"_s};
        QTest::newRow("unchanged") << QStringList{u"take A0"_s, u"take A0"_s, u"write A0"_s}
                                   << QStringList() << QStringList{u"A0"_s};
        QTest::newRow("a deleted note")
            << QStringList{u"take A0 B0"_s, u"write A1 B0"_s, u"write B0"_s} << QStringList()
            << QStringList{u"A0"_s, u"A1"_s, u"B0"_s};
        QTest::newRow("typed past the bound")
            << QStringList{u"take A0"_s, u"write A1-%1"_s.arg(NoteVersions::kKept + 1)}
            << QStringList{u"A1"_s, u"A%1"_s.arg(NoteVersions::kKept)}
            << QStringList{u"A0"_s, u"A%1"_s.arg(NoteVersions::kKept + 1)};
    }
    void earlierVersions()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, earlier);
        QFETCH(QStringList, notEarlier);
        Board board;
        for (const QString& step : steps) {
            const QStringList words = step.split(u' ');
            if (const QStringList range = words[1].split(u'-'); range.size() == 2) {
                for (int i = range[0].mid(1).toInt(); i <= range[1].toInt(); ++i)
                    board.step(words[0], {range[0].left(1) + QString::number(i)});
            } else {
                board.step(words[0], words.mid(1));
            }
        }
        for (const QString& name : earlier)
            QVERIFY2(board.versions.isEarlier(board.version(name)), qPrintable(name));
        for (const QString& name : notEarlier)
            QVERIFY2(!board.versions.isEarlier(board.version(name)), qPrintable(name));
    }
};

PONDSILL_TEST(NoteVersionsTest)
#include "note_versions_test.moc"
