#include "bookshelf/shelf_flyout_popover_view.h"
#include "cards/award_plaque_quick_view.h"
#include "cards/carpet_item_quick_view.h"
#include "cards/photo_frame_quick_view.h"
#include "cards/quick_view_card.h"
#include "cards/wall_cards.h"
#include "kit/button_item.h"
#include "kit/formats.h"
#include "kit/room_geometry.h"
#include "platform/file_operations.h"
#include "room/asset_loader.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/fake_app_registry.h"
#include "support/painted_look.h"
#include "support/stdout_capture.h"
#include "support/temp_home.h"
#include "support/test_registry.h"
#include "wall/photo_frame_item_view.h"
#include "wall/photo_gallery_view.h"
#include "wall_room.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QMimeData>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {
// A file on the carpet of a temporary home, and its card with the closes counted.
struct CarpetCard {
    explicit CarpetCard(const QString& name, const QByteArray& content)
        : path(home.writeFile(u"Documents/RidezozEvar/Karpet/"_s + name, content))
    {
    }
    TempHome home;
    QString path;
    StorageManager storage{home.path()};
    int closed = 0;
    CarpetItemQuickView card{QUrl::fromLocalFile(path), [this] { ++closed; }, storage};
};

// A PNG whose every pixel is zero, as small as deflate makes it: a few hundred KB for
// billions of pixels. The image data is one run of zero bytes (each row's filter byte too),
// deflated as one literal zero and then copies of the byte before, in fixed codes.
QByteArray zeroPng(int side, int bitDepth, int colourType, int bitsPerPixel)
{
    const quint64 rowBytes = (quint64(side) * quint64(bitsPerPixel) + 7) / 8 + 1;
    const quint64 total = rowBytes * quint64(side);
    QByteArray deflated("\x78\x01", 2);
    quint64 bits = 0;
    int pending = 0;
    const auto put = [&](quint32 value, int count) { // least significant bit first
        bits |= quint64(value) << pending;
        for (pending += count; pending >= 8; pending -= 8, bits >>= 8)
            deflated.append(char(bits & 0xff));
    };
    const auto code = [&](quint32 value, int count) { // Huffman codes: most significant first
        quint32 reversed = 0;
        for (int i = 0; i < count; ++i)
            reversed |= ((value >> i) & 1) << (count - 1 - i);
        put(reversed, count);
    };
    put(1, 1);     // the last block,
    put(1, 2);     // in fixed codes
    code(0x30, 8); // literal 0
    quint64 left = total - 1;
    for (; left >= 258; left -= 258) {
        code(0xc5, 8); // length 258
        code(0, 5);    // distance 1
    }
    for (; left > 0; --left)
        code(0x30, 8);
    code(0, 7); // end of block
    put(0, 7);  // to a whole byte
    const quint32 adler = quint32((total % 65521) << 16) | 1;
    for (int shift = 24; shift >= 0; shift -= 8)
        deflated.append(char((adler >> shift) & 0xff));

    const auto bigEndian = [](quint32 value) {
        const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        return QByteArray(bytes, 4);
    };
    const auto chunk = [&bigEndian](const QByteArray& type, const QByteArray& data) {
        quint32 crc = 0xffffffff;
        for (const char byte : type + data) {
            crc ^= quint8(byte);
            for (int i = 0; i < 8; ++i)
                crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
        }
        return bigEndian(quint32(data.size())) + type + data + bigEndian(~crc);
    };
    const QByteArray header = bigEndian(quint32(side)) + bigEndian(quint32(side)) +
                              QByteArray(1, char(bitDepth)) + char(colourType) + QByteArray(3, 0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", deflated) +
           chunk("IEND", {});
}

// A JPEG cut off after the header of its picture data, saying it is `side` pixels square.
QByteArray jpegHeader(int side)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpg");
    const qsizetype frame = bytes.indexOf("\xff\xc0");
    const qsizetype scan = bytes.indexOf("\xff\xda");
    for (const qsizetype at : {frame + 5, frame + 7}) {
        bytes[at] = char(side >> 8);
        bytes[at + 1] = char(side & 0xff);
    }
    return bytes.left(scan + 2 + (quint8(bytes[scan + 2]) << 8 | quint8(bytes[scan + 3])));
}
// A picture in `format` with detail in every block, so every part of its data counts.
QByteArray detailedPicture(const char* format)
{
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// That JPEG cut right after the header of its scan.
QByteArray jpegCutAfterScanHeader()
{
    const QByteArray bytes = detailedPicture("jpg");
    const qsizetype scan = bytes.indexOf("\xff\xda");
    return bytes.left(scan + 2 + (quint8(bytes[scan + 2]) << 8 | quint8(bytes[scan + 3])));
}

// The PNG with one byte of its image data changed, which its checksum tells.
QByteArray pngWithBadChecksum()
{
    QByteArray bytes = detailedPicture("png");
    const qsizetype at = bytes.indexOf("IDAT") + 40;
    bytes[at] = char(bytes[at] ^ 0x55);
    return bytes;
}
} // namespace

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
        room.settle();
        QCOMPARE(QFile::exists(source), photo); // a photo is framed as a copy
        QCOMPARE(QFile::exists(room.carpetPath(name)), !photo);
        QCOMPARE(room.albumEntries().size(), photo ? 1 : 0);
        QVERIFY(!photo || room.albumEntries().first().startsWith(u"frame_3."_s));
        QCOMPARE(room.storage().cachedPhotos().contains(3), photo);
        QCOMPARE(room.appState().targetedPhotoSlot(), std::nullopt);
    }

    // A picture of any type a decoder here reads is framed as a copy when it decodes at the size
    // the frame shows, however large it says it is; one that does not (cut short, or more than
    // the decoder may allocate) is refused with a line saying why, and the frame keeps its
    // photo. Dropped or chosen, the same; the file stays where it was.
    void framesTakeWhatDecodesAtTheirSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // empty: a picture in the name's format
        QTest::addColumn<bool>("chosen");        // else dropped
        QTest::addColumn<QString>("refusal");    // the line's cause; empty: taken
        QTest::addColumn<QString>("said");       // what Qt's decoder warns of, when anything
        const QString limit = u"allocation limit"_s;
        const QString cut = u"Corrupt JPEG data: premature end of data segment"_s;
        const QString damaged = u"file rusak atau terpotong"_s;
        const QString tooLarge = u"gambar terlalu besar untuk dibuka"_s;
        const QString notAPicture = u"bukan gambar yang dapat dibaca"_s;
        QTest::newRow("webp, dropped")
            << u"trip.webp"_s << QByteArray() << false << QString() << QString();
        QTest::newRow("webp, chosen")
            << u"trip.webp"_s << QByteArray() << true << QString() << QString();
        QTest::newRow("tiff, dropped")
            << u"scan.tiff"_s << QByteArray() << false << QString() << QString();
        QTest::newRow("tiff, chosen")
            << u"scan.TIFF"_s << QByteArray() << true << QString() << QString();
        QTest::newRow("tif, dropped")
            << u"scan.tif"_s << QByteArray() << false << QString() << QString();
        QTest::newRow("bmp, dropped")
            << u"layar.bmp"_s << QByteArray() << false << QString() << QString();
        QTest::newRow("BMP, chosen")
            << u"layar.BMP"_s << QByteArray() << true << QString() << QString();
        if (QImageWriter::supportedImageFormats().contains("icns"))
            QTest::newRow("icns, dropped")
                << u"ikon.icns"_s << QByteArray() << false << QString() << QString();
        // 288 MB decoded whole: more than the decoders' default limit of 128 MB.
        QTest::newRow("16-bit png, 6000 x 6000")
            << u"scan16.png"_s << zeroPng(6000, 16, 2, 48) << false << QString() << QString();
        QTest::newRow("text named as a png")
            << u"catatan.png"_s << QByteArray("bukan gambar") << false << notAPicture << QString();
        // Decoded at an eighth of its size, within the limit: no data follows its header.
        QTest::newRow("jpeg header of 60000 x 60000")
            << u"cut.jpg"_s << jpegHeader(60000) << false << damaged << cut;
        // The decoder hands over a picture grey where data is missing, and only warns.
        const QByteArray jpeg = detailedPicture("jpg");
        QTest::newRow("jpeg cut right after its scan header")
            << u"cut.jpg"_s << jpegCutAfterScanHeader() << false << damaged << cut;
        QTest::newRow("jpeg cut in the middle, chosen")
            << u"cut.jpg"_s << jpeg.left(jpeg.size() / 2) << true << damaged << cut;
        // Stray bytes between two segments cost no pixel.
        QTest::newRow("jpeg with stray bytes between two segments")
            << u"stray.jpg"_s << QByteArray(jpeg).insert(jpeg.indexOf("\xff\xda"), "ab") << false
            << QString() << u"extraneous bytes"_s;
        const QByteArray png = detailedPicture("png");
        QTest::newRow("png cut in the middle")
            << u"cut.png"_s << png.left(png.size() / 2) << false << damaged << QString();
        QTest::newRow("png with a bad checksum, chosen")
            << u"crc.png"_s << pngWithBadChecksum() << true << damaged << QString();
        QTest::newRow("one-bit png, 30000 x 30000")
            << u"bomb.png"_s << zeroPng(30000, 1, 0, 1) << true << tooLarge << limit;
        QTest::newRow("one-bit png, 60000 x 60000")
            << u"bomb.png"_s << zeroPng(60000, 1, 0, 1) << false << tooLarge << limit;
        QTest::newRow("grey png, 30000 x 30000")
            << u"bomb.png"_s << zeroPng(30000, 8, 0, 8) << false << tooLarge << limit;
        QTest::newRow("grey png, 60000 x 60000")
            << u"bomb.png"_s << zeroPng(60000, 8, 0, 8) << true << tooLarge << limit;
        // 324 MB whole, read scaled row by row.
        QTest::newRow("rgba png, 9000 x 9000: decodes scaled")
            << u"big.png"_s << zeroPng(9000, 8, 6, 32) << false << QString() << QString();
    }
    void framesTakeWhatDecodesAtTheirSize()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, chosen);
        QFETCH(QString, refusal);
        QFETCH(QString, said);
        const bool taken = refusal.isEmpty();
        WallRoom room;
        const QByteArray old = contentOf(room.framePhoto(2));
        QVERIFY(room.frame(2).showsPhoto());
        const QString source = room.home().path() + u"/Pictures/"_s + name;
        if (content.isEmpty())
            QVERIFY(!QImage(writePicture(source)).isNull());
        else
            writeFile(source, content);

        if (!said.isEmpty()) // Qt says why, on its own channel
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(said));
        StdoutCapture out;
        if (chosen) {
            room.prompts.chosen = {source};
            QVERIFY(room.chooseFromMenu(room.frame(2), u"Ganti Foto..."_s));
        } else {
            const auto drag = fileDrag({source});
            room.dragOver(room.photoCentre(2), drag.get());
            QCOMPARE(room.dropAt(room.photoCentre(2), drag.get()), Qt::CopyAction);
            for (int i = 0; i < 3; ++i) // the drop's files arrive on the event loop
                QCoreApplication::processEvents();
        }
        room.settle(); // copied and checked on a worker
        QCOMPARE(out.finish(), taken ? QString() : u"Gagal menyimpan foto: "_s + refusal + u'\n');
        const QString framed = u"frame_2."_s + QFileInfo(name).suffix();
        QCOMPARE(room.albumEntries(), QStringList{taken ? framed : u"frame_2.png"_s});
        QCOMPARE(contentOf(room.trashFilesPath(u"frame_2.png"_s)), taken ? old : QByteArray());
        QVERIFY(QFile::exists(source)); // framed as a copy, or left alone
        QTRY_VERIFY(!room.storage().isDecodingThumbnails());
        QVERIFY(room.frame(2).showsPhoto());
        const QImage shown = room.storage().cachedPhotos().value(2);
        QVERIFY(!shown.isNull() && std::max(shown.width(), shown.height()) <= 500);
        if (!taken)
            QCOMPARE(contentOf(room.albumPath(u"frame_2.png"_s)), old);
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
            QVERIFY(room.chooseFromMenu(room.frame(0), u"Hapus Foto dari Bingkai"_s));
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
        room.settle();
        QCOMPARE(room.albumEntries(), QStringList{u"frame_0.png"_s});
        QTRY_VERIFY(room.frame(0).showsPhoto());
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);
    }
    // The album deleted by another program while photos are framed: the frames and the photo's
    // card show what a start with a new, empty album would (the album is made again), and a
    // photo dropped afterwards is framed in it. "Ke Lantai" on the card, pressed before the
    // folder's events arrive, finds nothing to move and leaves the frame empty too.
    void theFramesFollowTheirAlbumDeleted_data()
    {
        QTest::addColumn<bool>("toTheFloor");
        QTest::newRow("left alone") << false;
        QTest::newRow("Ke Lantai pressed at once") << true;
    }
    void theFramesFollowTheirAlbumDeleted()
    {
        QFETCH(bool, toTheFloor);
        WallRoom room;
        room.framePhoto(1);
        room.framePhoto(4, u"jpg"_s);
        int closed = 0;
        auto card = std::make_unique<PhotoFrameQuickView>(
            1, [&closed] { ++closed; }, room.storage());
        QVERIFY(card->showsPhoto() && room.frame(1).showsPhoto());

        QVERIFY(QDir(room.albumPath()).removeRecursively());
        if (toTheFloor) {
            StdoutCapture out;
            card->button(u"Ke Lantai"_s)->click();
            out.finish();
            QCOMPARE(closed, 1);
            QVERIFY(!room.storage().photoSlots().contains(1));
        }
        QTRY_VERIFY(room.storage().photoSlots().isEmpty());
        QTRY_VERIFY(room.storage().cachedPhotos().isEmpty());
        for (int slot = 0; slot < PhotoGalleryView::kFrameCount; ++slot)
            QVERIFY(!room.frame(slot).showsPhoto());
        QVERIFY(!card->showsPhoto());
        QVERIFY(card->button(u"Pilih Foto..."_s));
        QVERIFY(!card->button(u"Ke Lantai"_s));
        QVERIFY(QFileInfo(room.albumPath()).isDir());
        QVERIFY(QDir(room.carpetPath()).isEmpty());

        const QString photo = writePicture(room.home().path() + u"/Pictures/baru.png"_s);
        room.prompts.chosen = {photo};
        room.click(room.photoCentre(1)); // an empty frame asks for a photo
        room.settle();
        QCOMPARE(room.albumEntries(), QStringList{u"frame_1.png"_s});
        QTRY_VERIFY(room.frame(1).showsPhoto());
    }

    // "Ke Desktop" moves the file into a Desktop folder made for it and closes the card; the card
    // reads the file afresh on every change the storage publishes.
    void carpetCardMovesToTheDesktopAndReadsAfresh()
    {
        CarpetCard c(u"surat.odt"_s, "12345");
        QVERIFY(c.card.infoText().startsWith(u"Ukuran: 5 byte • Diubah: "_s));
        QVERIFY(!c.card.infoText().endsWith(u"-"_s));
        QVERIFY(!QFileInfo::exists(c.home.path() + u"/Desktop"_s));
        c.card.button(u"Ke Desktop"_s)->click();
        QCOMPARE(c.closed, 1);
        QVERIFY(!QFileInfo::exists(c.path));
        QCOMPARE(contentOf(c.home.path() + u"/Desktop/surat.odt"_s), QByteArray("12345"));
        c.storage.refreshCarpetItems();
        QCOMPARE(c.card.infoText(), u"Ukuran: - • Diubah: -"_s);
    }

    void carpetCardSizesFollowLinksAndSkipFolders()
    {
        QTemporaryDir dir;
        const QString target = writeFile(dir.filePath(u"target.bin"_s), QByteArray(1500, 'x'));
        QFile::link(target, dir.filePath(u"link"_s));
        QFile::link(dir.filePath(u"gone"_s), dir.filePath(u"dangling"_s));
        QStringList sizes;
        for (const QString& name : {u"target.bin"_s, u"link"_s, u"dangling"_s, u"."_s})
            sizes << CarpetItemQuickView::fileSizeText(QUrl::fromLocalFile(dir.filePath(name)));
        const QString size = Formats::byteCount(1500);
        QCOMPARE(sizes, (QStringList{size, size, u"-"_s, u"-"_s}));
    }

    // Each plaque opens its own card in the card frame, a case that is no plaque none; without a
    // logo both buttons of the card only close.
    void plaqueCards()
    {
        RoomPieces pieces;
        WallCards::furnish(pieces);
        const auto& make = pieces.cards.at(ActiveDesktopQuickView::TolvanePlaque);
        std::unique_ptr<RoomItem> card(make(ActiveDesktopQuickView::tolvanePlaque(), [] {}));
        auto* frame = qobject_cast<DesktopQuickViewCard*>(card.get());
        QVERIFY(frame);
        QCOMPARE(frame->title(), u"Plakat Tolvane Studio"_s);
        QVERIFY(!make(ActiveDesktopQuickView::trash(), [] {}));
        FakeAppRegistry apps;
        QVERIFY(apps.waitUntilSeen());
        QTemporaryDir none;
        AssetLoader assets({{}, {none.path()}});
        CurrentFolder folder;
        Q_UNUSED(folder);
        int closed = 0;
        AwardPlaqueQuickView plaque(
            u"Plakat Quennet"_s, u"Plakat Penghargaan Resmi Quennet"_s, u"plaque_quennet"_s,
            u"quennet logoo.svg"_s, [&] { ++closed; }, assets);
        QVERIFY(!plaque.showsPicture());
        plaque.openButton()->click();
        plaque.revealButton()->click();
        QCOMPARE(closed, 2);
        QVERIFY(apps.nothingLaunched());
    }
    // "Ke Lantai" keeps the room's lime and reads on the light cards: its ink stands out from
    // its ground at 4.5:1 or more, on the photo frame's card and on the shelf's file card.
    void toTheFloorLabelReads_data()
    {
        QTest::addColumn<bool>("photoCard");
        QTest::newRow("photo frame card") << true;
        QTest::newRow("shelf popover") << false;
    }
    void toTheFloorLabelReads()
    {
        QFETCH(bool, photoCard);
        WallRoom room;
        std::unique_ptr<RoomItem> card;
        ButtonItem* label = nullptr;
        if (photoCard) {
            room.framePhoto(1);
            auto photo = std::make_unique<PhotoFrameQuickView>(
                1, [] {}, room.storage());
            QVERIFY(photo->showsPhoto());
            label = photo->button(u"Ke Lantai"_s);
            card = std::move(photo);
        } else {
            const QString file = room.home().path() + u"/Desktop/catatan.txt"_s;
            writeFile(file, "isi");
            auto popover = std::make_unique<ShelfFlyoutPopoverView>(
                QUrl::fromLocalFile(file), 0, room.appState(), room.storage(), [] {});
            QVERIFY(!popover->isFolder());
            label = popover->button(u"Ke Lantai"_s);
            card = std::move(popover);
        }
        QVERIFY(label);
        // The cards' translucent surface over the room comes out nearly white.
        const qreal ratio = PaintedLook::inkContrast(*label, QColor(0xF4, 0xF4, 0xF2));
        QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio)));
    }

    // Showing a value is not choosing it: nothing is written until a control is used, then each use
    // is written at once, a zoom step as its exact scale. The actions do their work, then close; a
    // photo that cannot be decoded still gets a card, which only offers another.
    void photoCard()
    {
        WallRoom room;
        room.framePhoto(1);
        int closed = 0;
        const auto cardOf = [&](int slot) {
            return std::make_unique<PhotoFrameQuickView>(
                slot, [&closed] { ++closed; }, room.storage());
        };
        const auto stored = [&room] { return room.storedTransforms().value(1); };
        const QString file = room.storagePath(u"photo_transforms.json"_s);
        room.storage().setPhotoTransform(1, 1.0, 270, 0, 0);
        QFile::remove(file);
        auto card = cardOf(1);
        QVERIFY(card->showsPhoto());
        QCOMPARE(card->rotationSlider()->value(), 36);
        QVERIFY(!QFile::exists(file));
        card->button(u"+90°"_s)->click(); // a quarter turn stays within a turn
        QCOMPARE(stored(), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(PhotoFrameQuickView::quarterTurn(-95), -5.0);
        QCOMPARE(PhotoFrameQuickView::quarterTurn(1e20), std::fmod(std::trunc(1e20 + 90), 360.0));
        QVERIFY(std::isnan(PhotoFrameQuickView::quarterTurn(std::nan(""))));
        for (int press = 1; press <= 3; ++press) {
            card->button(u"▶"_s)->click();
            QCOMPARE(stored(), (QList<double>{1, 0, 8.0 * press, 0}));
        }
        card->button(u"▲"_s)->click();
        QCOMPARE(stored(), (QList<double>{1, 0, 24, -8}));
        card->zoomSlider()->setValue(37);
        QCOMPARE(stored(), (QList<double>{2.35, 0, 24, -8}));
        QFile::remove(file);
        card->button(u"Reset"_s)->click();
        card->button(u"Reset"_s)->click();
        QCOMPARE(stored(), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(closed, 0);

        card->button(u"Ganti"_s)->click(); // dismissed without a choice: the photo stays
        QCOMPARE(closed, 1);
        QVERIFY(room.storage().photoSlots().contains(1));
        card->button(u"Ke Lantai"_s)->click();
        QCOMPARE(closed, 2);
        QVERIFY(!room.storage().photoSlots().contains(1));
        QVERIFY(QFile::exists(room.carpetPath(u"frame_1.png"_s)));
        // The card turns to its empty face once the photo has gone.
        QVERIFY(!card->showsPhoto());
        QVERIFY(card->button(u"Pilih Foto..."_s));

        writeFile(room.albumPath(u"frame_5.jpg"_s), "not a photo");
        room.storage().loadPhotoSlots();
        QTRY_VERIFY(!room.storage().isDecodingThumbnails());
        auto broken = cardOf(5);
        QVERIFY(!broken->showsPhoto());
        QVERIFY(!broken->zoomSlider());
        broken->button(u"Pilih Foto..."_s)->click();
        QCOMPARE(room.prompts.panels.size(), 2);
        QCOMPARE(closed, 3);
    }
};

PONDSILL_TEST(PhotoWallTest)
#include "photo_wall_test.moc"
