#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/test_registry.h"

#include <QSettings>
#include <QTest>

class FloorInteractionStateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dragOffsetsStartAtZero()
    {
        // Views add them to positions: a default QSizeF would be (-1, -1).
        FloorInteractionState state;
        QSettings settings(QStringLiteral("/dev/null"), QSettings::IniFormat);
        AppState app(&settings);
        for (QSizeF offset : {state.carpetDragOffset(), state.floorFileDragTranslation(),
                              app.noteDragTranslation(), app.photoDragTranslation()})
            QCOMPARE(offset, QSizeF(0, 0));
    }

    // Names are exact strings; letting the selection go ends a marquee but leaves the carpet.
    void theSelection()
    {
        FloorInteractionState state;
        for (const char* name : {"a.txt", "b.txt", "a.txt", "B.txt"})
            state.toggleSelection(QString::fromLatin1(name));
        QCOMPARE(state.selectedFileNames(),
                 (QSet<QString>{QStringLiteral("b.txt"), QStringLiteral("B.txt")}));
        state.setCarpetLifted(true);
        state.setCarpetDragOffset(QSizeF(3, 4));
        state.setMarqueeSelecting(true);
        state.setMarqueeStart(QPointF(1, 2));
        state.setMarqueeCurrent(QPointF(5, 6));
        state.clearSelection();
        QVERIFY(state.selectedFileNames().isEmpty());
        QVERIFY(!state.isMarqueeSelecting());
        QVERIFY(!state.marqueeStart() && !state.marqueeCurrent());
        QVERIFY(state.isCarpetLifted());
        QCOMPARE(state.carpetDragOffset(), QSizeF(3, 4));
    }
};

PONDSILL_TEST(FloorInteractionStateTest)
#include "floor_interaction_state_test.moc"
