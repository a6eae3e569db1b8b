#pragma once

#include "corkboard/corkboard_view.h"
#include "corkboard/draggable_sticky_note.h"
#include "corkboard/note_customizer_panel.h"
#include "corkboard/note_text_field.h"
#include "corkboard/sticky_note_card_view.h"
#include "kit/button_item.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/manual_clock.h"
#include "support/scene_input.h"
#include "support/temp_home.h"

#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QSettings>
#include <QTest>
#include <QTextCursor>

#include <sys/stat.h>

#include <memory>

using namespace Qt::StringLiterals;

// A corkboard at the top-left corner of a scene, on the notes of a temporary storage
// folder (the home's, or `storageHome` when given), shown in a view for mouse input.
struct Board {
    explicit Board(const QByteArray& notesFile = {}, QSizeF size = {400, 300},
                   const QString& storageHome = {})
    {
        const QString homePath = storageHome.isEmpty() ? home.path() : storageHome;
        if (!notesFile.isNull())
            writeFile(homePath + u"/Documents/RidezozEvar/notes.json"_s, notesFile);
        storage = std::make_unique<StorageManager>(homePath);
        board = new CorkboardView(*storage, state);
        board->setSize(size);
        scene.addItem(board);
        scene.setSceneRect(QRectF(QPointF(), size));
        view.setFixedSize(int(size.width()) + 4, int(size.height()) + 4);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.show();
        // Keys reach the focused item only in an active scene.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&scene, &activate);
    }

    QString notesPath() const { return storage->notesFilePath(); }
    QByteArray notesOnDisk() const { return contentOf(notesPath()); }
    StickyNotes decodedOnDisk() const
    {
        return decodeStickyNotes(notesOnDisk()).value_or(StickyNotes());
    }
    // The file's inode: an atomic save replaces the file, so every save gives a new one.
    ino_t inode() const
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(notesPath()).constData(), &st) == 0 ? st.st_ino : 0;
    }

    const StickyNote& note(int index) const { return storage->stickyNotes().at(index); }
    DraggableStickyNote* noteView(int index) const { return board->noteView(note(index).id); }
    StickyNoteCardView* card(int index) const { return noteView(index)->card(); }
    // A point of the note's card (card coordinates) in the scene.
    QPointF at(int index, QPointF cardPoint) const { return card(index)->mapToScene(cardPoint); }
    QPointF centreOf(QGraphicsItem* item) const
    {
        return item->mapToScene(item->boundingRect().center());
    }
    // Clicks the item and lets whatever it set moving come to rest.
    void click(QGraphicsItem* item)
    {
        input.click(centreOf(item));
        settle();
    }
    static void settle() { ManualClock::settle(); }

    void focus(NoteTextField* field, int caret = -1)
    {
        field->setFocus();
        if (caret >= 0) {
            QTextCursor cursor = field->textCursor();
            cursor.setPosition(caret);
            field->setTextCursor(cursor);
        }
    }
    void type(const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&scene, &press);
        }
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&scene, &press);
    }

    ManualClock clock;
    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
    std::unique_ptr<StorageManager> storage;
    QGraphicsScene scene;
    QGraphicsView view{&scene};
    SceneInput input{view};
    CorkboardView* board = nullptr;
};

// A notes file of the given notes.
inline QByteArray notesFile(const StickyNotes& notes)
{
    return encodeStickyNotes(notes).value_or(QByteArray());
}

inline StickyNote makeNote(const QString& title, QPointF at, NoteColor color = NoteColor::yellow)
{
    StickyNote note;
    note.title = title;
    note.freeformText = u"isi "_s + title;
    note.color = color;
    note.x = at.x();
    note.y = at.y();
    return note;
}
