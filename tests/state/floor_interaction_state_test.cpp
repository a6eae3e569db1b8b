#include "state/floor_interaction_state.h"
#include "support/test_registry.h"

#include <QSignalSpy>
#include <QTest>

class FloorInteractionStateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toggleSelection()
    {
        FloorInteractionState state;
        QSignalSpy spy(&state, &FloorInteractionState::selectedFileNamesChanged);
        state.toggleSelection(QStringLiteral("a.txt"));
        state.toggleSelection(QStringLiteral("b.txt"));
        state.toggleSelection(QStringLiteral("a.txt"));
        QCOMPARE(state.selectedFileNames(), QSet<QString>{QStringLiteral("b.txt")});
        QCOMPARE(spy.count(), 3);
        // Names are exact strings.
        state.toggleSelection(QStringLiteral("B.txt"));
        QCOMPARE(state.selectedFileNames().size(), 2);
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
        QSignalSpy marquee(&state, &FloorInteractionState::isMarqueeSelectingChanged);
        state.clearSelection();
        state.clearSelection(); // an empty state still publishes
        QCOMPARE(names.count(), 2);
        QCOMPARE(marquee.count(), 2);
        QVERIFY(state.selectedFileNames().isEmpty());
        QVERIFY(!state.isMarqueeSelecting());
        QVERIFY(!state.marqueeStart() && !state.marqueeCurrent());
        QVERIFY(state.isCarpetLifted());
        QCOMPARE(state.carpetDragOffset(), QSizeF(3, 4));
    }
};

PONDSILL_TEST(FloorInteractionStateTest)
#include "floor_interaction_state_test.moc"
