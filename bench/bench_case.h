#pragma once

// What the benchmarks share: each case runs in a child process of the same program on a
// scratch home folder, so peak memory is the case's own and the real home is never touched.

#include <QByteArrayList>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGraphicsView>
#include <QHash>
#include <QMouseEvent>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <cstdlib>

namespace BenchCase {

// Runs the event loop for `milliseconds` without spending anything of its own.
inline void spin(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The `--name value` pairs this program was started with, keyed by `--name`.
inline QHash<QByteArray, QByteArray> options(int argc, char** argv)
{
    QHash<QByteArray, QByteArray> values;
    for (int i = 1; i + 1 < argc; i += 2)
        values.insert(QByteArray(argv[i]), QByteArray(argv[i + 1]));
    return values;
}

// Makes `home` the home and XDG folders; must run before anything reads them.
inline void useHome(const QString& home)
{
    ::setenv("HOME", QFile::encodeName(home).constData(), 1);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")), 1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")), 1);
}

// A mouse event at `scene` (room points) sent to the view, as the window system would.
inline void sendMouse(QGraphicsView& view, QEvent::Type type, QPointF scene,
                      Qt::MouseButtons buttons)
{
    QWidget* viewport = view.viewport();
    const QPointF p = view.mapFromScene(scene);
    QMouseEvent event(type, p, viewport->mapToGlobal(p.toPoint()),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
}

// Runs this program again with `arguments` and returns the lines it printed.
inline QByteArrayList runChild(const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().split('\n');
}

} // namespace BenchCase
