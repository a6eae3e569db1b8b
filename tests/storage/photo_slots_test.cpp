#include "platform/file_operations.h"
#include "storage_fixture.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QImage>
#include <QTest>

#include <cstdio>
#include <limits>

namespace {
// A small real picture, so thumbnails can be made of it.
void picture(const QString& path, const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path, "PNG");
}
} // namespace

class PhotoSlotsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ownPhotoDroppedOnItsFrameChangesNothing()
    {
        StorageHome f;
        const QString frame = f.file(u"Album/frame_2.jpg"_s, "framed");
        const auto before = FileOperations::entryStatus(frame);
        QVERIFY(f.start().setPhoto(url(frame), 2));
        QCOMPARE(f.entries(u"Album"_s), QStringList{u"frame_2.jpg"_s});
        QCOMPARE(FileOperations::entryStatus(frame)->inode, before->inode);
        QCOMPARE(f.read(u"Album/frame_2.jpg"_s), QByteArray("framed"));
    }

    void framingLeavesWhatIsNoPhoto_data()
    {
        QTest::addColumn<QString>("entry"); // in the album before slot 2 is framed
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("framed");
        QTest::newRow("the frame's project file") << u"frame_2.xcf"_s << false << true;
        QTest::newRow("a folder named like a frame photo") << u"frame_2.png"_s << true << true;
        QTest::newRow("a folder at the frame's own name") << u"frame_2.jpg"_s << true << false;
    }
    void framingLeavesWhatIsNoPhoto()
    {
        QFETCH(QString, entry);
        QFETCH(bool, folder);
        QFETCH(bool, framed);
        StorageHome f;
        const QString kept = u"Album/"_s + entry + (folder ? u"/inside.txt"_s : QString());
        f.file(kept, "kept");
        f.file(u"Album/frame_2.gif"_s, "old photo");
        StorageManager& storage = f.start();
        const QString trip = f.userFile(u"Pictures/trip.jpg"_s, pictureBytes("trip"));

        StdoutCapture out;
        QCOMPARE(storage.setPhoto(url(trip), 2), framed);
        const QString printed = out.finish();
        QCOMPARE(f.read(kept), QByteArray("kept"));
        if (framed) {
            QCOMPARE(f.read(u"Album/frame_2.jpg"_s), pictureBytes("trip"));
            QVERIFY(!f.exists(u"Album/frame_2.gif"_s));
        } else {
            QCOMPARE(printed, u"Gagal menyimpan foto: "_s +
                                  FileOperations::Result{EISDIR}.message() + u'\n');
            QCOMPARE(f.read(u"Album/frame_2.gif"_s), QByteArray("old photo"));
        }
        // Taking the photos out of the frames leaves a folder alone too.
        for (const int slot : storage.photoSlots().keys())
            storage.removePhoto(slot);
        QCOMPARE(f.read(kept), QByteArray("kept"));
        QCOMPARE(contentOf(trip), pictureBytes("trip"));
    }

    // Only a photo the frames can show is taken; anything else stays where it is, and the
    // frame keeps its photo: the old one goes only once the new one is copied.
    void onlyPhotosTheFramesShowAreTaken_data()
    {
        QTest::addColumn<QString>("name");       // in Pictures
        QTest::addColumn<QByteArray>("content"); // none: no such file; "/": a folder
        QTest::addColumn<QString>("framedAs");
        QTest::addColumn<int>("error"); // when refused
        const QByteArray picture = pictureBytes("picture");
        QTest::newRow("a png, its extension kept as written")
            << u"a.PNG"_s << picture << u"frame_1.PNG"_s << 0;
        QTest::newRow("no extension, a picture inside")
            << u"scan"_s << picture << u"frame_1.jpg"_s << 0;
        QTest::newRow("a bmp") << u"a.bmp"_s << picture << QString() << ENOTSUP;
        QTest::newRow("an svg") << u"a.svg"_s
                                << QByteArray("<svg xmlns='http://www.w3.org/2000/svg'/>")
                                << QString() << ENOTSUP;
        QTest::newRow("a png that is no picture")
            << u"a.png"_s << QByteArray("text") << QString() << ENOTSUP;
        QTest::newRow("no extension, text inside")
            << u"notes"_s << QByteArray("text") << QString() << ENOTSUP;
        QTest::newRow("a missing picture") << u"gone.jpg"_s << QByteArray() << QString() << ENOENT;
        QTest::newRow("a folder") << u"trip.jpg"_s << QByteArray("/") << QString() << EISDIR;
    }
    void onlyPhotosTheFramesShowAreTaken()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, framedAs);
        QFETCH(int, error);
        StorageHome f;
        f.file(u"Album/frame_1.gif"_s, pictureBytes("old"));
        f.file(u"Album/frame_12.jpg"_s, "another frame");
        StorageManager& storage = f.start();
        const QString source = f.home() + u"/Pictures/"_s + name;
        if (content == "/")
            f.userFile(u"Pictures/"_s + name + u"/inside.png"_s, pictureBytes("inside"));
        else if (!content.isEmpty())
            f.userFile(u"Pictures/"_s + name, content);

        StdoutCapture out;
        QCOMPARE(storage.setPhoto(url(source), 1), !framedAs.isEmpty());
        const QString printed = out.finish();
        if (content != "/")
            QCOMPARE(contentOf(source), content);
        if (framedAs.isEmpty()) {
            QCOMPARE(printed,
                     u"Gagal menyimpan foto: "_s + FileOperations::Result{error}.message() + u'\n');
            QCOMPARE(f.entries(u"Album"_s), (QStringList{u"frame_1.gif"_s, u"frame_12.jpg"_s}));
            QCOMPARE(f.read(u"Album/frame_1.gif"_s), pictureBytes("old"));
            if (error == ENOTSUP)
                QVERIFY(!StorageManager::isImageFile(url(source)) || name.endsWith(u".png"));
        } else {
            QCOMPARE(f.entries(u"Album"_s), (QStringList{framedAs, u"frame_12.jpg"_s}));
            QCOMPARE(f.read(u"Album/"_s + framedAs), content);
        }
        // The album's frames show only what they take.
        f.file(u"Album/frame_4.bmp"_s, pictureBytes("bmp"));
        storage.loadPhotoSlots();
        QVERIFY(!storage.photoSlots().contains(4));
    }

    // The photo that leaves a frame goes to the Trash, never away for good: for a photo
    // framed from the floor it may be the last copy outside the Trash.
    void photosLeavingAFrameGoToTheTrash_data()
    {
        QTest::addColumn<QString>("shown"); // the album file frame 0 shows
        QTest::addColumn<bool>("replaced"); // replaced by a new photo, or removed
        for (const QString& shown : {u"loose.png"_s, u"frame_0.jpg"_s}) {
            QTest::addRow("%s replaced", qPrintable(shown)) << shown << true;
            QTest::addRow("%s removed", qPrintable(shown)) << shown << false;
        }
    }
    void photosLeavingAFrameGoToTheTrash()
    {
        QFETCH(QString, shown);
        QFETCH(bool, replaced);
        StorageHome f;
        f.file(u"Album/"_s + shown, pictureBytes("shown"));
        for (int slot = 1; slot < 6; ++slot)
            f.file(u"Album/frame_%1.png"_s.arg(slot), pictureBytes("full"));
        StorageManager& storage = f.start();
        QCOMPARE(storage.photoSlots().value(0), url(f.album() + u'/' + shown));

        if (replaced)
            QVERIFY(storage.setPhoto(url(f.userFile(u"new.png"_s, pictureBytes("new"))), 0));
        else
            storage.removePhoto(0);

        QCOMPARE(contentOf(f.trashRoot() + u"/files/"_s + shown), pictureBytes("shown"));
        QVERIFY(!f.exists(u"Album/"_s + shown));
        // Six frames, and nothing that jumped from one to another.
        QCOMPARE(storage.photoSlots().size(), replaced ? 6 : 5);
        if (replaced)
            QCOMPARE(f.read(u"Album/frame_0.png"_s), pictureBytes("new"));
    }

    // photo_transforms.json: a damaged file is set aside before it is written over, and a
    // value that cannot be stored is refused without stopping later saves.
    void transformsFile()
    {
        StorageHome f;
        f.file(u"photo_transforms.json"_s, "{\"0\": {\"scale\": ");
        StorageManager& storage = f.start();
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        storage.setPhotoTransform(1, 2, 30, 4, 5);
        const QStringList aside = f.entries(u"."_s).filter(u"photo_transforms.damaged-"_s);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(f.read(aside.first()), QByteArray("{\"0\": {\"scale\": "));

        storage.setPhotoTransform(1, nan, 0, 0, 0);
        storage.setPhotoTransform(2, 1, std::numeric_limits<double>::infinity(), 0, 0);
        QCOMPARE(storage.transform(1), (PhotoTransform{2, 30, 4, 5}));
        storage.setPhotoTransform(3, 1.5, 0, 0, 0);
        QCOMPARE(decodePhotoTransforms(f.read(u"photo_transforms.json"_s)),
                 std::optional(PhotoTransforms{{1, {2, 30, 4, 5}}, {3, {1.5, 0, 0, 0}}}));
    }

    void freeFrame_data()
    {
        QTest::addColumn<int>("framed"); // frames 0 .. framed-1 hold a photo
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("slot"); // -1: refused
        QTest::newRow("first free frame") << 2 << u"new.jpg"_s << 2;
        QTest::newRow("all six full: frame 0 is replaced") << 6 << u"new.jpg"_s << 0;
    }
    void freeFrame()
    {
        QFETCH(int, framed);
        QFETCH(QString, file);
        QFETCH(int, slot);
        StorageHome f;
        for (int i = 0; i < framed; ++i)
            f.file(u"Album/frame_%1.png"_s.arg(i), "old");
        StorageManager& storage = f.start();
        const QString source = f.userFile(u"Desktop/"_s + file, pictureBytes("new"));

        QCOMPARE(storage.addPhotoToFreeFrame(url(source)), slot >= 0);
        QCOMPARE(f.entries(u"Album"_s).size(), slot < 0 ? 0 : qMax(framed, slot + 1));
        if (slot >= 0)
            QCOMPARE(f.read(u"Album/frame_%1.jpg"_s.arg(slot)), pictureBytes("new"));
    }

    // Loose pictures fill the free frames in order of name; a file that is no picture holds
    // its frame without a thumbnail; a thumbnail is kept while its file is unchanged.
    void albumFillsTheFrames()
    {
        StorageHome f;
        const QString album = f.dir(u"Album"_s) + u'/';
        picture(album + u"frame_1.jpg"_s, QSize(40, 10));
        picture(album + u"b.png"_s, QSize(10, 10));
        picture(album + u"a.png"_s, QSize(10, 10));
        f.file(u"Album/frame_x.png"_s, "not a picture");
        f.file(u"Album/readme.txt"_s, "text");
        f.file(u"Album/.frame_0.jpg"_s, "hidden");
        StorageManager& storage = f.start();
        QCOMPARE(storage.photoSlots(), (PhotoSlots{{0, url(album + u"a.png"_s)},
                                                   {1, url(album + u"frame_1.jpg"_s)},
                                                   {2, url(album + u"b.png"_s)},
                                                   {3, url(album + u"frame_x.png"_s)}}));
        QTRY_COMPARE(storage.cachedPhotos().keys(), (QList<int>{0, 1, 2}));
        QCOMPARE(storage.cachedPhotos().value(1).size(), QSize(40, 10));
        const qint64 kept = storage.cachedPhotos().value(0).cacheKey();

        // Another program puts a picture of a new size in frame 1's place.
        picture(album + u".new.png"_s, QSize(60, 10));
        QCOMPARE(
            std::rename(qPrintable(album + u".new.png"_s), qPrintable(album + u"frame_1.jpg"_s)),
            0);
        QTRY_COMPARE(storage.cachedPhotos().value(1).size(), QSize(60, 10));
        QCOMPARE(storage.cachedPhotos().value(0).cacheKey(), kept);
        // A photo removed: its thumbnail goes with it.
        QVERIFY(QFile::remove(album + u"b.png"_s));
        QTRY_COMPARE(storage.cachedPhotos().keys(), (QList<int>{0, 1}));
        QCOMPARE(storage.cachedPhotos().value(0).cacheKey(), kept);
    }

    void removeAndMoveToTheFloor()
    {
        StorageHome f;
        f.file(u"Album/frame_0.jpg"_s, "zero");
        f.file(u"Album/frame_1.jpg"_s, "one");
        f.file(u"Karpet/frame_1.jpg"_s, "already on the floor");
        StorageManager& storage = f.start();
        storage.setPhotoTransform(0, 2, 45, 1, 1);
        storage.setPhotoTransform(1, 3, 90, 2, 2);

        storage.removePhoto(0);
        storage.movePhotoToCarpet(1);
        storage.removePhoto(4); // an empty frame: nothing happens

        QVERIFY(f.entries(u"Album"_s).isEmpty());
        QVERIFY(storage.photoSlots().isEmpty());
        QCOMPARE(
            decodePhotoTransforms(f.read(u"photo_transforms.json"_s)).value_or(PhotoTransforms()),
            (PhotoTransforms{{0, PhotoTransform{}}, {1, PhotoTransform{}}}));
        const QString moved = u"frame_1 (1).jpg"_s;
        QCOMPARE(f.read(u"Karpet/"_s + moved), QByteArray("one"));
        QCOMPARE(f.read(u"Karpet/frame_1.jpg"_s), QByteArray("already on the floor"));
        QCOMPARE(f.storedPositions().value(moved), StorageManager::defaultCarpetPosition(moved));
        QVERIFY(storage.carpetItems().contains(url(f.carpet() + u'/' + moved)));
    }
};

PONDSILL_TEST(PhotoSlotsTest)
#include "photo_slots_test.moc"
