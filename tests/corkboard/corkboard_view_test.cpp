// Dragging notes, the customiser and the board's own clicks.
#include "board_fixture.h"
#include "corkboard/corkboard_header_view.h"
#include "corkboard/note_fasteners.h"
#include "support/test_registry.h"

namespace {
QSizeF dragOf(QPointF d)
{
    return QSizeF(d.x(), d.y());
}
} // namespace

class CorkboardViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Where a note is drawn and dropped: inside the board, out of the header band.
    void placement_data()
    {
        QTest::addColumn<QSizeF>("board");
        QTest::addColumn<QPointF>("stored");
        QTest::addColumn<QPointF>("drag");
        QTest::addColumn<QPointF>("shown");
        const QSizeF wide(800, 300);
        QTest::newRow("far right and down")
            << wide << QPointF(20, 60) << QPointF(2000, 2000) << QPointF(646, 210);
        QTest::newRow("overlapping the band")
            << wide << QPointF(200, 10) << QPointF() << QPointF(200, 48);
        QTest::newRow("narrow board, all in the band")
            << QSizeF(400, 300) << QPointF(240, 0) << QPointF() << QPointF(240, 48);
        QTest::newRow("board narrower than a note")
            << QSizeF(150, 300) << QPointF(90, 70) << QPointF() << QPointF(6, 70);
        QTest::newRow("low board raised by the band")
            << QSizeF(400, 90) << QPointF(100, 40) << QPointF() << QPointF(100, 48);
    }
    void placement()
    {
        QFETCH(QSizeF, board);
        QFETCH(QPointF, stored);
        QFETCH(QPointF, drag);
        QFETCH(QPointF, shown);
        const NotePlacement placement{board, 48, 148};
        QCOMPARE(placement.shown(stored, dragOf(drag)), shown);
    }

    // A drag moves the note with the pointer, clamped, and writes its place once, at the
    // end, where it was shown at release. A click without movement writes nothing.
    void dragWritesOnceAtTheEnd()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 150})}));
        StickyNoteCardView* card = b.card(0);
        const QPointF from = b.at(0, QPointF(60, card->size().height() - 4));
        const ino_t before = b.inode();
        b.input.click(from);
        QCOMPARE(b.inode(), before);

        b.input.press(from);
        b.input.move(from + QPointF(2, 2)); // under 4 points: no drag yet
        QVERIFY(!b.state.draggingNoteId());
        b.input.move(from + QPointF(30, 10));
        QCOMPARE(b.state.draggingNoteId(), b.note(0).id);
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(50, 70));
        b.input.move(from + QPointF(-400, 40));
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(6, 100));
        QCOMPARE(b.inode(), before);
        QCOMPARE(b.noteView(1)->shownPosition(), QPointF(220, 150));
        b.input.release(from + QPointF(-400, 40));

        QVERIFY(!b.state.draggingNoteId());
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(6, 100));
        const StickyNotes onDisk = b.decodedOnDisk();
        QCOMPARE(QPointF(onDisk[0].x, onDisk[0].y), QPointF(6, 100));
        QCOMPARE(QPointF(onDisk[1].x, onDisk[1].y), QPointF(220, 150));
    }

    // A drag that starts in a text field selects text and leaves the note where it is.
    void dragInTextSelects()
    {
        Board b(notesFile({makeNote(u"Judul panjang"_s, {20, 60})}));
        NoteTextField* title = b.card(0)->titleField();
        const QPointF from = title->mapToScene(QPointF(2, title->boundingRect().center().y()));
        b.input.drag(from, from + QPointF(40, 0));
        QVERIFY(title->textCursor().hasSelection());
        QVERIFY(!b.state.draggingNoteId());
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(20, 60));
    }

    // A note deleted while it is dragged, or while its editor has focus, takes the late
    // drop or keystroke with it: no other note changes.
    void lateWritesForADeletedNoteAreDropped_data()
    {
        QTest::addColumn<bool>("dragging");
        QTest::newRow("during a drag") << true;
        QTest::newRow("while typing") << false;
    }
    void lateWritesForADeletedNoteAreDropped()
    {
        QFETCH(bool, dragging);
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 150})}));
        const StickyNote kept = b.note(1);
        const QUuid gone = b.note(0).id;
        const QPointF from = b.at(0, QPointF(60, b.card(0)->size().height() - 4));
        if (dragging) {
            b.input.press(from);
            b.input.move(from + QPointF(40, 40));
        } else {
            b.focus(b.card(0)->titleField(), 0);
        }
        b.storage->removeNote(gone);
        if (dragging) {
            b.input.move(from + QPointF(80, 40));
            b.input.release(from + QPointF(80, 40));
        } else {
            b.type(u"q"_s);
        }
        QCoreApplication::processEvents();
        QVERIFY(!b.state.draggingNoteId());
        QCOMPARE(b.storage->stickyNotes().size(), 1);
        QVERIFY(b.decodedOnDisk() == StickyNotes{kept});
        QVERIFY(b.storage->stickyNotes().first() == kept);
    }

    // One customiser is open at a time; the bare board and the header close it; deleting
    // the open note clears it, deleting another leaves it.
    void customiserOpensOneAtATime()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 150}),
                           makeNote(u"C"_s, {20, 200})}));
        b.click(b.card(0)->paletteButton());
        QVERIFY(b.card(0)->isCustomizerOpen());
        b.click(b.card(1)->fastener());
        QVERIFY(!b.card(0)->isCustomizerOpen());
        QVERIFY(b.card(1)->isCustomizerOpen());

        b.click(b.board->header()); // takes no clicks: the board below closes the panel
        QVERIFY(!b.state.activeNoteCustomizerId());
        b.click(b.card(1)->paletteButton());
        b.input.click(QPointF(390, 140)); // bare board
        QVERIFY(!b.state.activeNoteCustomizerId());

        b.click(b.card(1)->paletteButton());
        b.click(b.card(2)->deleteButton());
        QCOMPARE(b.state.activeNoteCustomizerId(), b.note(1).id);
        const QUuid open = b.note(1).id;
        b.click(b.card(1)->deleteButton());
        QVERIFY(!b.state.activeNoteCustomizerId());
        QTRY_COMPARE(b.storage->stickyNotes().size(), 1);
        QVERIFY(!b.board->noteView(open));
    }

    // The header draws the ligature where a font has it, never a missing-glyph box.
    void headerLine()
    {
        const QString line =
            BismillahCalligraphyHeaderView::line(BismillahCalligraphyHeaderView::calligraphyFont());
        QVERIFY(line == QString::fromUcs4(U"\U0000FDFD", 1) || line.contains(u"الله"_s));
        QFont none(u"No Such Font At All"_s);
        none.setStyleStrategy(QFont::NoFontMerging);
        QVERIFY(!BismillahCalligraphyHeaderView::line(none).isEmpty());
        // The line fits the band the notes keep clear of, and is not shrunk to nothing.
        const BismillahCalligraphyHeaderView header;
        QVERIFY2(header.size().width() <= 190.5 && header.size().width() > 150,
                 qPrintable(QString::number(header.size().width())));
    }
};

PONDSILL_TEST(CorkboardViewTest)
#include "corkboard_view_test.moc"
