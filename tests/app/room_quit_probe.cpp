// The room as the program starts it, for the tests that end it as a session does. Once the
// room shows its notes, it types its first argument at the end of the note whose text is
// the second, as a person's keys reach the note's text field, and prints "ready".
#include "app/room_start.h"
#include "corkboard/note_text_field.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTimer>

#include <cstdio>

namespace {
NoteTextField* fieldShowing(const QString& text)
{
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* view = qobject_cast<QGraphicsView*>(widget);
        if (!view || !view->scene())
            continue;
        for (QGraphicsItem* item : view->scene()->items()) {
            auto* field = qobject_cast<NoteTextField*>(item->toGraphicsObject());
            if (field && field->isVisible() && field->text() == text)
                return field;
        }
    }
    return nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3)
        return 2;
    RoomStart room;
    if (const std::optional<int> ended = room.begin())
        return *ended;

    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&look, typed = args.at(1), shown = args.at(2)] {
        NoteTextField* field = fieldShowing(shown);
        if (!field)
            return;
        look.stop();
        QGraphicsScene& scene = *field->scene();
        QEvent activate(QEvent::WindowActivate); // keys reach the focus in an active scene
        QApplication::sendEvent(&scene, &activate);
        field->setFocus();
        QTextCursor cursor = field->textCursor();
        cursor.movePosition(QTextCursor::End);
        field->setTextCursor(cursor);
        for (const QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&scene, &press);
        }
        std::printf("ready\n");
        std::fflush(stdout);
    });
    look.start(20);
    return app.exec();
}
