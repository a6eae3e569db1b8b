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

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QSettings>
#include <QTest>
#include <QTextCursor>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// A corkboard at the top-left corner of a scene, on a temporary home's
// notes.json, shown in a view for mouse input.
struct Board {
    explicit Board(const QByteArray& notesFile)
    {
        writeFile(home.path() + u"/Documents/RidezozEvar/notes.json"_s, notesFile);
        storage = std::make_unique<StorageManager>(home.path());
        board = new CorkboardView(*storage, state);
        board->setSize({400, 300});
        scene.addItem(board);
        scene.setSceneRect(0, 0, 400, 300);
        view.setFixedSize(404, 304);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.show();
        QEvent activate(QEvent::WindowActivate); // keys reach the focus in an active scene
        QApplication::sendEvent(&scene, &activate);
    }

    QString notesPath() const { return storage->notesFilePath(); }
    StickyNotes decodedOnDisk() const
    {
        return decodeStickyNotes(contentOf(notesPath())).value_or(StickyNotes());
    }
    // An atomic save replaces the file: every save gives a new inode.
    ino_t inode() const
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(notesPath()).constData(), &st) == 0 ? st.st_ino : 0;
    }

    const StickyNote& note(int index) const { return storage->stickyNotes().at(index); }
    DraggableStickyNote* noteView(int index) const { return board->noteView(note(index).id); }
    StickyNoteCardView* card(int index) const { return noteView(index)->card(); }
    QPointF at(int index, QPointF cardPoint) const { return card(index)->mapToScene(cardPoint); }
    // Clicks the item and lets whatever it set moving come to rest.
    void click(QGraphicsItem* item)
    {
        input.click(item->mapToScene(item->boundingRect().center()));
        ManualClock::settle();
    }
    void focus(NoteTextField* field, int caret)
    {
        field->setFocus();
        QTextCursor cursor = field->textCursor();
        cursor.setPosition(caret);
        field->setTextCursor(cursor);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&scene, &press);
    }
    void type(const QString& text)
    {
        for (const QChar c : text)
            key(0, Qt::NoModifier, QString(c));
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

inline QByteArray notesFile(const StickyNotes& notes)
{
    return encodeStickyNotes(notes).value_or(QByteArray());
}

inline StickyNote makeNote(const QString& title, QPointF at)
{
    StickyNote note;
    note.title = title;
    note.freeformText = u"isi "_s + title;
    note.x = at.x();
    note.y = at.y();
    return note;
}
