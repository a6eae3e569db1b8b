#include "platform/canberra_event_sounds.h"
#include "support/test_registry.h"

#include <QElapsedTimer>
#include <QTest>

class CanberraEventSoundsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void playsOrStaysSilentWithoutBlocking()
    {
        // Test machines have no sound device: playing must neither fail loudly nor hold
        // the room up, the first time or any later time.
        CanberraEventSounds sounds;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 3; ++i)
            sounds.play(EventSounds::trashSound());
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }
};

PONDSILL_TEST(CanberraEventSoundsTest)
#include "event_sounds_test.moc"
