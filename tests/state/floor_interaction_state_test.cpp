#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/test_registry.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

class FloorInteractionStateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dragOffsetsStartAtZero()
    {
        // Views add them to positions: a default QSizeF would be (-1, -1).
        FloorInteractionState state;
        QCOMPARE(state.carpetDragOffset(), QSizeF(0, 0));
        QCOMPARE(state.floorFileDragTranslation(), QSizeF(0, 0));
        QSettings settings(QStringLiteral("/dev/null"), QSettings::IniFormat);
        AppState app(&settings);
        QCOMPARE(app.noteDragTranslation(), QSizeF(0, 0));
        QCOMPARE(app.photoDragTranslation(), QSizeF(0, 0));
    }

    void toggleSelection()
    {
        FloorInteractionState state;
        QSignalSpy spy(&state, &FloorInteractionState::selectedFileNamesChanged);
        for (const char* name : {"a.txt", "b.txt", "a.txt", "B.txt"}) // names are exact strings
            state.toggleSelection(QString::fromLatin1(name));
        QCOMPARE(state.selectedFileNames(),
                 (QSet<QString>{QStringLiteral("b.txt"), QStringLiteral("B.txt")}));
        QCOMPARE(spy.count(), 4);
    }

    void clearSelectionLeavesTheCarpet()
    {
        FloorInteractionState state;
        state.setCarpetLifted(true);
        state.setCarpetDragOffset(QSizeF(3, 4));
        state.setMarqueeSelecting(true);
        state.setMarqueeStart(QPointF(1, 2));
        state.setMarqueeCurrent(QPointF(5, 6));
        state.toggleSelection(QStringLiteral("x"));

        QSignalSpy names(&state, &FloorInteractionState::selectedFileNamesChanged);
        state.clearSelection();
        state.clearSelection(); // an empty state still publishes
        QCOMPARE(names.count(), 2);
        QVERIFY(state.selectedFileNames().isEmpty());
        QVERIFY(!state.isMarqueeSelecting());
        QVERIFY(!state.marqueeStart() && !state.marqueeCurrent());
        QVERIFY(state.isCarpetLifted());
        QCOMPARE(state.carpetDragOffset(), QSizeF(3, 4));
    }
};

PONDSILL_TEST(FloorInteractionStateTest)
#include "floor_interaction_state_test.moc"
