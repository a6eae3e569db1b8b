// What a key costs in a note whose text is one huge paragraph: the field is given the text,
// focused, sent to the text's end with Ctrl+End and typed into; each key is timed until the view
// has repainted.
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target pondsill-bench-note-text
//   QT_QPA_PLATFORM=offscreen build-release/bench/pondsill-bench-note-text
//
// `--chars N` sets the paragraph's length (1,000,000 unless told), `--keys N` how many keys
// are typed (20).
#include "bench_case.h"
#include "corkboard/note_text_field.h"
#include "kit/units.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const auto options = BenchCase::options(argc, argv);
    const int chars = options.value("--chars", "1000000").toInt();
    const int keys = options.value("--keys", "20").toInt();

    QGraphicsScene scene(0, 0, 400, 300);
    // As on a note: the field sits in a box that clips it.
    auto* box = new QGraphicsRectItem(20, 20, 200, 200);
    box->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    scene.addItem(box);
    auto* field = new NoteTextField(false, QString(), DesignFont::system(11), box);
    field->setPos(20, 20);
    field->setFieldWidth(200);
    QGraphicsView view(&scene);
    view.resize(420, 320);
    view.show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&scene, &activate);

    QString text;
    while (text.size() < chars)
        text += QStringLiteral("kata demi kata ");
    text.truncate(chars);
    int edits = 0;
    QObject::connect(field, &NoteTextField::edited, [&](const QString&) { ++edits; });

    QElapsedTimer timer;
    timer.start();
    field->showText(text);
    field->setFocus();
    // To the end as a user goes there: the editor may hold only a stretch of the text.
    QKeyEvent toEnd(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(&scene, &toEnd);
    field->keepCaretVisible({200, 200});
    QApplication::processEvents();
    const double focusMs = timer.nsecsElapsed() / 1e6;

    std::vector<double> perKey;
    for (int i = 0; i < keys; ++i) {
        timer.restart();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(&scene, &press);
        field->keepCaretVisible({200, 200});
        view.viewport()->repaint();
        QApplication::processEvents();
        perKey.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(perKey.begin(), perKey.end());
    const bool kept = field->text().size() == chars + keys && edits == keys;
    std::printf("paragraph of %d characters, %d keys\n", chars, keys);
    std::printf("  shown, to its end:   %9.2f ms\n", focusMs);
    std::printf("  per key, median:     %9.2f ms\n", perKey[perKey.size() / 2]);
    std::printf("  per key, longest:    %9.2f ms\n", perKey.back());
    std::printf("  every key kept:      %s\n", kept ? "yes" : "NO");
    return kept ? 0 : 1;
}
