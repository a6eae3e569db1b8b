#include "wall_room.h"

#include "kit/button_item.h"
#include "kit/room_geometry.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"
#include "wall/photo_frame_item_view.h"
#include "wall/photo_gallery_view.h"

#include <QMimeData>
#include <QTest>

class PhotoWallTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A file dragged on the floor lands in the frame the wall draws under the pointer, also in a
    // small window where the frames overflow the wall's rectangle.
    void framesAgreeWithTheFloorsSlotMapping_data()
    {
        QTest::addColumn<QSizeF>("window");
        QTest::newRow("1440 x 900") << QSizeF(1440, 900);
        QTest::newRow("1024 x 600") << QSizeF(1024, 600);
    }
    void framesAgreeWithTheFloorsSlotMapping()
    {
        QFETCH(QSizeF, window);
        WallRoom room;
        room.view().resize(window.toSize());
        QCoreApplication::processEvents();
        const QRectF target = RoomGeometry(window).photoWallTarget();
        for (int slot = 0; slot < PhotoGalleryView::kFrameCount; ++slot) {
            const QRectF drawn = room.frame(slot).mapRectToScene(room.frame(slot).rect());
            QVERIFY(target.adjusted(-0.5, -0.5, 0.5, 0.5).contains(drawn));
            QCOMPARE(RoomGeometry::photoSlotIndex(drawn.center(), target), slot);
        }
    }

    // A pan stores the offset once, at the end (zoom and turn act before the shift: the photo
    // follows the pointer 1:1); one pulled back to where it began is a click: the card, and no
    // file.
    void panningStoresTheOffsetOnceAtTheEnd_data()
    {
        QTest::addColumn<QList<double>>("stored");
        QTest::addColumn<QPointF>("move");
        QTest::addColumn<QList<double>>("expected"); // empty: nothing written
        QTest::newRow("plain photo")
            << QList<double>{1, 0, 0, 0} << QPointF(30, -12) << QList<double>{1, 0, 30, -12};
        QTest::newRow("zoomed and turned photo")
            << QList<double>{2.5, 90, 5, 5} << QPointF(-20, 16) << QList<double>{2.5, 90, -15, 21};
        QTest::newRow("pulled back: a click")
            << QList<double>{1, 0, 0, 0} << QPointF(2.5, -2.5) << QList<double>{};
    }
    void panningStoresTheOffsetOnceAtTheEnd()
    {
        QFETCH(QList<double>, stored);
        QFETCH(QPointF, move);
        QFETCH(QList<double>, expected);
        WallRoom room;
        room.framePhoto(1);
        room.storage().setPhotoTransform(1, stored[0], stored[1], stored[2], stored[3]);
        const QString file = room.storagePath(u"photo_transforms.json"_s);
        QFile::remove(file);

        const QPointF start = room.photoCentre(1);
        room.press(start);
        room.moveTo(start + QPointF(3.5, 0)); // under the pan's 4 points: nothing moves yet
        QCOMPARE(room.appState().draggingPhotoSlot(), std::nullopt);
        room.moveTo(start + QPointF(10, 0));
        room.moveTo(start + move);
        QCOMPARE(room.appState().draggingPhotoSlot(), std::optional<int>(1));
        const PhotoTransform shown = room.frame(1).shownTransform();
        QCOMPARE(QPointF(shown.offsetX, shown.offsetY), QPointF(stored[2], stored[3]) + move);
        QVERIFY2(!QFile::exists(file), "written during the pan");
        room.release(start + move);

        QCOMPARE(room.appState().draggingPhotoSlot(), std::nullopt);
        QCOMPARE(room.appState().photoDragTranslation(), QSizeF(0, 0));
        QCOMPARE(room.storedTransforms().value(1), expected);
        QCOMPARE(QFile::exists(file), !expected.isEmpty());
        QCOMPARE(room.appState().activeQuickView(),
                 expected.isEmpty() ? std::optional(ActiveDesktopQuickView::photo(1))
                                    : std::nullopt);
    }

    // A photo dropped on a frame is framed as a copy; what the frame cannot show falls to the room
    // below, which puts it on the floor.
    void dropsTakeOnlyWhatTheFrameCanShow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("photo") << u"trip.JPEG"_s;
        QTest::newRow("document") << u"report.pdf"_s;
    }
    void dropsTakeOnlyWhatTheFrameCanShow()
    {
        QFETCH(QString, name);
        const bool photo = !name.endsWith(u".pdf"_s);
        WallRoom room;
        const QString source = room.home().path() + u"/Pictures/"_s + name;
        if (photo)
            writePicture(source);
        else
            writeFile(source, "%PDF-1.4");

        const auto drag = fileDrag({source});
        // In from the floor, onto frame 1, across to frame 3.
        room.dragOver(FloorRoom::at({0.5, 0.5}), drag.get());
        room.dragOver(room.photoCentre(1), drag.get());
        QCOMPARE(room.appState().targetedPhotoSlot(), std::optional<int>(1));
        QVERIFY(room.frame(1).isTargeted());
        room.dragOver(room.photoCentre(3), drag.get());
        QCOMPARE(room.appState().targetedPhotoSlot(), std::optional<int>(3));
        QCOMPARE(room.dropAt(room.photoCentre(3), drag.get()), Qt::CopyAction);
        for (int i = 0; i < 3; ++i) // the drop's files arrive on the event loop
            QCoreApplication::processEvents();
        QCOMPARE(QFile::exists(source), photo); // a photo is framed as a copy
        QCOMPARE(QFile::exists(room.carpetPath(name)), !photo);
        QCOMPARE(room.albumEntries().size(), photo ? 1 : 0);
        QVERIFY(!photo || room.albumEntries().first().startsWith(u"frame_3."_s));
        QCOMPARE(room.storage().cachedPhotos().contains(3), photo);
        QCOMPARE(room.appState().targetedPhotoSlot(), std::nullopt);
    }

    // Ejected, a photo goes to the floor; removed, to the Trash: a loose album picture (they fill
    // the free frames in name order) may be the only copy there is. Either way the frame's stored
    // transform is reset.
    void photosLeavingAFrame_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("eject");
        QTest::newRow("ejected to the floor") << u"frame_0.jpg"_s << true;
        QTest::newRow("the frame's copy to the Trash") << u"frame_0.png"_s << false;
        QTest::newRow("a loose album picture to the Trash") << u"Liburan.png"_s << false;
    }
    void photosLeavingAFrame()
    {
        QFETCH(QString, name);
        QFETCH(bool, eject);
        WallRoom room;
        const QByteArray content = contentOf(writePicture(room.albumPath(name)));
        room.storage().loadPhotoSlots();
        QTRY_VERIFY(!room.storage().isDecodingThumbnails());
        QCOMPARE(room.storage().photoSlots().value(0).fileName(), name);
        room.storage().setPhotoTransform(0, 2, 30, 4, 4);
        // Moving quickly to the next frame: the late exit of the first keeps the next.
        room.frame(0).hoverChanged(true);
        QVERIFY(room.frame(0).ejectButton()->isVisible());
        room.frame(1).hoverChanged(true);
        room.frame(0).hoverChanged(false);
        QCOMPARE(room.appState().hoveredPhotoSlot(), std::optional<int>(1));
        QVERIFY(!room.frame(0).ejectButton()->isVisible());
        QVERIFY2(!room.frame(1).ejectButton()->isVisible(), "an empty frame has nothing to eject");
        room.frame(1).hoverChanged(false);
        QCOMPARE(room.appState().hoveredPhotoSlot(), std::nullopt);

        room.frame(0).hoverChanged(true);
        if (eject)
            room.frame(0).ejectButton()->click();
        else
            QVERIFY(chooseFromMenu(room.frame(0), u"Hapus Foto dari Bingkai"_s));
        QVERIFY(room.albumEntries().isEmpty());
        QCOMPARE(contentOf(eject ? room.carpetPath(name) : room.trashFilesPath(name)), content);
        QVERIFY(!room.storage().photoSlots().contains(0));
        QVERIFY(!room.frame(0).showsPhoto());
        QVERIFY(!room.frame(0).ejectButton()->isVisible());
        QCOMPARE(room.storedTransforms().value(0), (QList<double>{1, 0, 0, 0}));

        // The empty frame asks for a photo on a click, and frames a copy of the one chosen.
        room.prompts.chosen = {writePicture(room.home().path() + u"/Pictures/cat.png"_s)};
        room.click(room.photoCentre(0));
        QCOMPARE(room.prompts.panels.size(), 1);
        QCOMPARE(room.prompts.panels.first().title, u"Pilih Foto untuk Bingkai #1"_s);
        QVERIFY(room.prompts.panels.first().imagesOnly);
        QCOMPARE(room.albumEntries(), QStringList{u"frame_0.png"_s});
        QTRY_VERIFY(room.frame(0).showsPhoto());
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);
    }
};

PONDSILL_TEST(PhotoWallTest)

#include "photo_wall_test.moc"
