#include "move_test_support.h"
#include "platform/file_operations.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QImage>
#include <QTest>

namespace {
QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

QStringList albumEntries(const MoveFixture& f)
{
    QStringList names = FileOperations::listEntries(f.home.album(), true).value_or(QStringList());
    names.sort();
    return names;
}

// A small real picture, so thumbnails can be made of it.
QString picture(const MoveFixture& f, const QString& relativePath, const QSize& size)
{
    const QString path = f.userFile(relativePath, {});
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path, "PNG");
    return path;
}
} // namespace

class PhotoSlotsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framingReplacesEveryEarlierPhotoOfTheFrame()
    {
        MoveFixture f;
        f.home.file(QStringLiteral("Album/frame_12.jpg"), "another frame");
        f.home.file(QStringLiteral("Album/frame_2.gif"), "older photo of frame 2");
        const QString beach = f.userFile(QStringLiteral("Pictures/Beach.PNG"), "beach");
        const QString trip = f.userFile(QStringLiteral("Pictures/trip.jpg"), "trip");

        QVERIFY(f.storage->setPhoto(url(beach), 2));
        QCOMPARE(albumEntries(f),
                 (QStringList{QStringLiteral("frame_12.jpg"), QStringLiteral("frame_2.PNG")}));
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_2.PNG")), QByteArray("beach"));

        QVERIFY(f.storage->setPhoto(url(trip), 2));
        QCOMPARE(albumEntries(f),
                 (QStringList{QStringLiteral("frame_12.jpg"), QStringLiteral("frame_2.jpg")}));
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_2.jpg")), QByteArray("trip"));
        QCOMPARE(f.storage->photoSlots().value(2),
                 url(f.home.album() + QStringLiteral("/frame_2.jpg")));
        // The user's pictures stay where they are.
        QCOMPARE(contentOf(beach), QByteArray("beach"));
        QCOMPARE(contentOf(trip), QByteArray("trip"));
    }

    void extensionOfTheFrameFile_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("frame");
        QTest::newRow("no extension") << QStringLiteral("scan") << QStringLiteral("frame_0.jpg");
        QTest::newRow("case kept") << QStringLiteral("IMG.JpEg") << QStringLiteral("frame_0.JpEg");
        QTest::newRow("hidden name") << QStringLiteral(".cover") << QStringLiteral("frame_0.jpg");
    }
    void extensionOfTheFrameFile()
    {
        QFETCH(QString, source);
        QFETCH(QString, frame);
        MoveFixture f;
        QVERIFY(f.storage->setPhoto(url(f.userFile(QStringLiteral("Pictures/") + source)), 0));
        QCOMPARE(albumEntries(f), QStringList{frame});
    }

    void ownPhotoDroppedOnItsFrameChangesNothing()
    {
        MoveFixture f;
        const QString frame = f.home.file(QStringLiteral("Album/frame_2.jpg"), "framed");
        f.storage->reloadAll();
        const auto before = FileOperations::entryStatus(frame);
        QVERIFY(f.storage->setPhoto(url(frame), 2));
        QCOMPARE(albumEntries(f), QStringList{QStringLiteral("frame_2.jpg")});
        QCOMPARE(FileOperations::entryStatus(frame)->inode, before->inode);
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_2.jpg")), QByteArray("framed"));
    }

    void failedFramingKeepsTheOldPhoto_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("error");
        QTest::newRow("missing picture") << QStringLiteral("Pictures/gone.jpg") << ENOENT;
        QTest::newRow("a folder") << QStringLiteral("Pictures") << EISDIR;
    }
    void failedFramingKeepsTheOldPhoto()
    {
        QFETCH(QString, source);
        QFETCH(int, error);
        MoveFixture f;
        f.userFile(QStringLiteral("Pictures/other.png"));
        f.home.file(QStringLiteral("Album/frame_2.jpg"), "old photo");
        f.storage->reloadAll();

        StdoutCapture out;
        const bool framed = f.storage->setPhoto(url(f.home.home() + QLatin1Char('/') + source), 2);
        QCOMPARE(out.finish(), QStringLiteral("Gagal menyimpan foto: ") +
                                   FileOperations::Result{error}.message() + u'\n');
        QVERIFY(!framed);
        QCOMPARE(albumEntries(f), QStringList{QStringLiteral("frame_2.jpg")});
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_2.jpg")), QByteArray("old photo"));
    }

    void framingLeavesWhatIsNoPhoto_data()
    {
        QTest::addColumn<QString>("entry"); // in the album before slot 2 is framed
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("framed");
        QTest::newRow("the frame's project file") << QStringLiteral("frame_2.xcf") << false << true;
        QTest::newRow("a folder named like a frame photo")
            << QStringLiteral("frame_2.png") << true << true;
        QTest::newRow("a folder at the frame's own name")
            << QStringLiteral("frame_2.jpg") << true << false;
    }
    void framingLeavesWhatIsNoPhoto()
    {
        QFETCH(QString, entry);
        QFETCH(bool, folder);
        QFETCH(bool, framed);
        MoveFixture f;
        const QString kept =
            QStringLiteral("Album/") + entry + (folder ? QStringLiteral("/inside.txt") : QString());
        f.home.file(kept, "kept");
        f.home.file(QStringLiteral("Album/frame_2.gif"), "old photo");
        f.storage->reloadAll();
        const QString trip = f.userFile(QStringLiteral("Pictures/trip.jpg"), "trip");

        StdoutCapture out;
        QCOMPARE(f.storage->setPhoto(url(trip), 2), framed);
        const QString printed = out.finish();
        QCOMPARE(f.home.read(kept), QByteArray("kept"));
        if (framed) {
            QCOMPARE(f.home.read(QStringLiteral("Album/frame_2.jpg")), QByteArray("trip"));
            QVERIFY(!f.home.exists(QStringLiteral("Album/frame_2.gif")));
        } else {
            QCOMPARE(printed, QStringLiteral("Gagal menyimpan foto: ") +
                                  FileOperations::Result{EISDIR}.message() + u'\n');
            QCOMPARE(f.home.read(QStringLiteral("Album/frame_2.gif")), QByteArray("old photo"));
        }
        // Taking the photos out of the frames leaves a folder alone too.
        for (const int slot : f.storage->photoSlots().keys())
            f.storage->removePhoto(slot);
        QCOMPARE(f.home.read(kept), QByteArray("kept"));
        QCOMPARE(contentOf(trip), QByteArray("trip"));
    }

    void freeFrame_data()
    {
        QTest::addColumn<int>("framed"); // frames 0 .. framed-1 hold a photo
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("slot"); // -1: refused
        QTest::newRow("first free frame") << 2 << QStringLiteral("new.jpg") << 2;
        QTest::newRow("all six full: frame 0 is replaced") << 6 << QStringLiteral("new.jpg") << 0;
        QTest::newRow("not an image") << 0 << QStringLiteral("notes.txt") << -1;
    }
    void freeFrame()
    {
        QFETCH(int, framed);
        QFETCH(QString, file);
        QFETCH(int, slot);
        MoveFixture f;
        for (int i = 0; i < framed; ++i)
            f.home.file(QStringLiteral("Album/frame_%1.png").arg(i), "old");
        f.storage->reloadAll();
        const QString source = f.userFile(QStringLiteral("Desktop/") + file, "new");

        QCOMPARE(f.storage->addPhotoToFreeFrame(url(source)), slot >= 0);
        if (slot < 0) {
            QVERIFY(albumEntries(f).isEmpty());
            return;
        }
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_%1.jpg").arg(slot)), QByteArray("new"));
        QCOMPARE(albumEntries(f).size(), qMax(framed, slot + 1));
    }

    void albumFillsTheFrames()
    {
        MoveFixture f;
        picture(f, QStringLiteral("Documents/RidezozEvar/Album/frame_1.jpg"), QSize(40, 10));
        picture(f, QStringLiteral("Documents/RidezozEvar/Album/b.png"), QSize(10, 10));
        picture(f, QStringLiteral("Documents/RidezozEvar/Album/a.png"), QSize(10, 10));
        f.home.file(QStringLiteral("Album/frame_x.png"), "not a picture");
        f.home.file(QStringLiteral("Album/readme.txt"), "text");
        f.home.file(QStringLiteral("Album/.frame_0.jpg"), "hidden");
        f.storage->loadPhotoSlots();

        const QString album = f.home.album() + QLatin1Char('/');
        const PhotoSlots expected = {{0, url(album + QStringLiteral("a.png"))},
                                     {1, url(album + QStringLiteral("frame_1.jpg"))},
                                     {2, url(album + QStringLiteral("b.png"))},
                                     {3, url(album + QStringLiteral("frame_x.png"))}};
        QCOMPARE(f.storage->photoSlots(), expected);
        // A file that is no picture still holds its frame, without a thumbnail.
        QCOMPARE(f.storage->cachedPhotos().keys(), (QList<int>{0, 1, 2}));
        QCOMPARE(f.storage->cachedPhotos().value(1).size(), QSize(40, 10));
    }

    void removeAndMoveToTheFloor()
    {
        MoveFixture f;
        f.home.file(QStringLiteral("Album/frame_0.jpg"), "zero");
        f.home.file(QStringLiteral("Album/frame_1.jpg"), "one");
        f.home.file(QStringLiteral("Karpet/frame_1.jpg"), "already on the floor");
        f.storage->reloadAll();
        f.storage->setPhotoTransform(0, 2, 45, 1, 1);
        f.storage->setPhotoTransform(1, 3, 90, 2, 2);

        f.storage->removePhoto(0);
        f.storage->movePhotoToCarpet(1);
        f.storage->removePhoto(4); // an empty frame: nothing happens

        QVERIFY(albumEntries(f).isEmpty());
        QVERIFY(f.storage->photoSlots().isEmpty());
        const auto stored =
            decodePhotoTransforms(f.home.read(QStringLiteral("photo_transforms.json")));
        QVERIFY(stored);
        QCOMPARE(*stored, (PhotoTransforms{{0, PhotoTransform{}}, {1, PhotoTransform{}}}));
        QCOMPARE(f.home.read(QStringLiteral("Karpet/frame_1 (1).jpg")), QByteArray("one"));
        QCOMPARE(f.home.read(QStringLiteral("Karpet/frame_1.jpg")),
                 QByteArray("already on the floor"));
        QCOMPARE(f.storedPositions().value(QStringLiteral("frame_1 (1).jpg")),
                 StorageManager::defaultCarpetPosition(QStringLiteral("frame_1 (1).jpg")));
        QVERIFY(f.storage->carpetItems().contains(
            url(f.home.carpet() + QStringLiteral("/frame_1 (1).jpg"))));
    }

    void photoPanel()
    {
        MoveFixture f;
        const QString chosen = f.userFile(QStringLiteral("Pictures/sunset.png"), "sun");
        f.prompts.answer = {chosen};
        f.storage->choosePhoto(5);
        QCOMPARE(f.prompts.panels.size(), 1);
        QCOMPARE(f.prompts.panels[0].title, QStringLiteral("Pilih Foto untuk Bingkai #6"));
        QVERIFY(f.prompts.panels[0].files && !f.prompts.panels[0].folders &&
                !f.prompts.panels[0].multiple && f.prompts.panels[0].imagesOnly);
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_5.png")), QByteArray("sun"));

        f.prompts.answer = {};
        f.storage->choosePhoto(0);
        QCOMPARE(albumEntries(f), QStringList{QStringLiteral("frame_5.png")});
    }
};

PONDSILL_TEST(PhotoSlotsTest)
#include "photo_slots_test.moc"
