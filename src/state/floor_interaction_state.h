#pragma once

#include "state/observable.h"

#include <QObject>
#include <QPointF>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

// What the floor, the carpet and the room's background share while the grass floor is
// handled: the carpet's live drag, the lifted carpet, an outside drag over the room, the
// dragged and hovered floor files, the selection and the marquee. Nothing here is saved.
class FloorInteractionState : public QObject {
    Q_OBJECT

    PONDSILL_PUBLISHED(QSizeF, carpetDragOffset, setCarpetDragOffset) = QSizeF(0, 0);
    PONDSILL_PUBLISHED(bool, isCarpetDragging, setCarpetDragging) = false;
    PONDSILL_PUBLISHED(bool, isCarpetLifted, setCarpetLifted) = false;
    PONDSILL_PUBLISHED(bool, isFloorTargeted, setFloorTargeted) = false;
    PONDSILL_PUBLISHED(std::optional<QString>, draggingFloorFileName, setDraggingFloorFileName);
    PONDSILL_PUBLISHED(QSizeF, floorFileDragTranslation, setFloorFileDragTranslation) = QSizeF(0,
                                                                                               0);
    PONDSILL_PUBLISHED(std::optional<QString>, hoveredFloorFileName, setHoveredFloorFileName);
    PONDSILL_PUBLISHED(bool, isMarqueeSelecting, setMarqueeSelecting) = false;
    PONDSILL_PUBLISHED(std::optional<QPointF>, marqueeStart, setMarqueeStart);
    PONDSILL_PUBLISHED(std::optional<QPointF>, marqueeCurrent, setMarqueeCurrent);

    // The selection is published with what each change added and took away, so that views
    // of thousands of files follow it file by file: a marquee over a full floor changes it
    // at pointer rate, a few files at a time.
    Q_PROPERTY(QSet<QString> selectedFileNames READ selectedFileNames WRITE setSelectedFileNames
                   NOTIFY selectedFileNamesChanged)

public:
    explicit FloorInteractionState(QObject* parent = nullptr);

    static FloorInteractionState& shared();

    const QSet<QString>& selectedFileNames() const { return m_selectedFileNames; }
    void setSelectedFileNames(const QSet<QString>& names);
    // Lets `removed` go and selects `added` (other names) as one change.
    void changeSelection(const QStringList& added, const QStringList& removed);
    // The names the latest change of the selection added and took away.
    const QStringList& selectionAdded() const { return m_selectionAdded; }
    const QStringList& selectionRemoved() const { return m_selectionRemoved; }
    Q_SIGNAL void selectedFileNamesChanged();

    // Empties the selection and ends the marquee; carpet, hover and drag stay.
    void clearSelection();
    // Adds the file name to the selection, or removes it when it is there.
    void toggleSelection(const QString& name);

private:
    QSet<QString> m_selectedFileNames;
    QStringList m_selectionAdded;
    QStringList m_selectionRemoved;
};
