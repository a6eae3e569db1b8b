#pragma once

// The application object the interactive benchmarks run in, and the room's storage folder
// in a scratch home.

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>

inline QString storageFolder(const QString& home)
{
    return home + QStringLiteral("/Documents/RidezozEvar/");
}

// Times every event the application delivers from its loop (not those sent from inside a
// handler) and keeps the longest: the longest the GUI thread was kept from its events.
class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;

    QWidget* viewport = nullptr;
    std::function<void(const QRegion&)> afterPaint;
    double longestStall = 0;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool outermost = m_depth == 0;
        ++m_depth;
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        if (outermost && timer.nsecsElapsed() / 1e6 > longestStall) {
            longestStall = timer.nsecsElapsed() / 1e6;
            if (std::getenv("BENCH_WHY"))
                std::fprintf(stderr, "stall %.1f ms: %s event %d\n", longestStall,
                             receiver->metaObject()->className(), int(event->type()));
        }
        --m_depth;
        if (event->type() == QEvent::Paint && receiver == viewport && afterPaint)
            afterPaint(static_cast<QPaintEvent*>(event)->region());
        return result;
    }

private:
    int m_depth = 0;
};

inline BenchApplication& app()
{
    return *static_cast<BenchApplication*>(qApp);
}
