#pragma once

#include "kit/room_item.h"

#include <QImage>
#include <QPointer>
#include <QRegion>

#include <functional>

class FloorItemView;

// The files resting on the floor, drawn into one picture the size of the room: a file is
// painted into it once, and whatever repaints over it (the flames, a file dragged past) copies
// from the picture instead of drawing the files again. A file that is hovered, selected,
// dragged or on its way draws itself above the picture. Takes no pointer input: the files'
// own views keep their hit shapes.
class FloorFileLayer : public RoomItem {
    Q_OBJECT
public:
    // The resting files that meet an area (this item's coordinates), bottom first.
    using RestingFiles = std::function<QList<FloorItemView*>(const QRegion& area)>;

    explicit FloorFileLayer(RestingFiles files, QGraphicsItem* parent = nullptr);

    // Draws `rect` again from the resting files on the next paint.
    void invalidate(const QRectF& rect);
    // Draws `file`, which lies above every resting file, over the picture on the next paint.
    void add(FloorItemView* file, const QRectF& rect);
    // Lets the picture go, when no file lies in it any more.
    void clear();
    // Keeps the picture as it is drawn, until it goes: areas waiting to be drawn again are
    // dropped (the selection's picture over files let go, until they lie in the resting
    // files' picture under it).
    void keepAsDrawn();

    // While held, an area that needs more than a few files drawn again keeps showing them as
    // they were until the hold ends: a marquee over a full floor takes files out of the
    // picture at each step, into the selection drawn above it, and drawing all their
    // neighbours again at pointer rate would cost far more than the step.
    void holdRepairs(bool held);
    bool holdsRepairs() const { return m_held; }

    // Shows the picture moved by `shift` (the files drawn into it stay where they rest): a
    // selection of thousands follows a drag as one picture.
    void setShift(const QPointF& shift);
    QPointF shift() const { return m_shift; }

    // Whether it keeps a picture (and so memory for the files drawn into it).
    bool holdsPicture() const { return !m_cleared && !m_picture.isNull(); }

    // While sliced, an area that needs more files than a slice holds is drawn again a slice
    // at a time, bottom first, the first on the next paint and each other on a later turn of
    // the event loop, so that none keeps the room from its input for long; the area shows the
    // files drawn so far until the last is drawn. For an area something else covers
    // meanwhile: a selection of thousands let go goes back into the resting files' picture
    // under the selection's.
    static constexpr int filesPerSlice = 160;
    void setSliced(bool sliced) { m_sliced = sliced; }
    // Whether an area waits to be drawn again, or is being drawn a slice at a time.
    bool needsRepair() const { return !m_dirty.isEmpty() || !m_repairFiles.isEmpty(); }
    bool isRepairing() const { return !m_repairFiles.isEmpty(); }
    // How many slices were drawn (an area drawn whole is one).
    int repairSliceCount() const { return m_repairSlices; }

    // How many times a file was drawn into the picture.
    int fileDrawCount() const { return m_fileDraws; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

Q_SIGNALS:
    // Every area waiting to be drawn again was drawn.
    void repaired();

protected:
    void onSizeChanged() override;

private:
    void bringUpToDate(qreal devicePixelRatio);
    // Draws `file` on an image whose top-left pixel is `origin` of the picture.
    void drawFile(QPainter& painter, FloorItemView* file, qreal devicePixelRatio,
                  const QPoint& origin = {});
    // Draws the next slice of the area being drawn again, and asks for the one after. Whether
    // it was the last of an area drawn behind, which the picture now shows.
    bool drawRepairSlice();
    // Repaints where `rect` of the picture shows.
    void updateShown(const QRectF& rect);

    RestingFiles m_files;
    QImage m_picture;
    QRegion m_dirty;
    QRect m_used; // where files were drawn: the rest of the picture is clear
    // The same as places while they are few: a shifted picture of a few files repaints only
    // where they are.
    QRegion m_usedPlaces;
    QPointF m_shift;
    QList<QPointer<FloorItemView>> m_added;
    int m_fileDraws = 0;
    bool m_held = false;
    bool m_waiting = false; // held areas wait for the hold's end
    bool m_cleared = false; // no file lies in it: it has no picture and draws nothing
    bool m_sliced = false;
    // The area being drawn again a slice at a time, and the files still to draw there.
    QRegion m_repairArea;
    QList<QPointer<FloorItemView>> m_repairFiles;
    // The area drawn again behind the picture, from this pixel of it (see bringUpToDate).
    QImage m_behind;
    QPoint m_behindOrigin;
    int m_repairSlices = 0;
    bool m_sliceScheduled = false;
};
