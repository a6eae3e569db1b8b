#include "move_test_support.h"
#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <vector>

namespace {
QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

void setOrigin(const QString& path, const QString& origin)
{
    ExtendedAttributes::write(path, ExtendedAttributes::originName, origin.toUtf8());
}

// The original paths of what the home trash holds, as its info files say.
QStringList trashedPaths(const QString& trashRoot)
{
    QStringList paths;
    const QDir info(trashRoot + QStringLiteral("/info"));
    for (const QString& name : info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files)) {
        QFile file(info.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("Path="))
                paths.append(QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5))));
        }
    }
    paths.sort();
    return paths;
}
} // namespace

class OriginAndTrashTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backToWhereItCameFrom_data()
    {
        QTest::addColumn<bool>("fromShelf");
        QTest::addColumn<QString>("origin");   // relative to home; empty: none recorded
        QTest::addColumn<QString>("prepare");  // "taken", "gone", "file", "no desktop"
        QTest::addColumn<QString>("expected"); // relative to home
        for (const bool shelf : {true, false}) {
            const char* from = shelf ? "shelf" : "carpet";
            QTest::addRow("%s: into the origin folder", from)
                << shelf << QStringLiteral("Downloads/a.pdf") << QString()
                << QStringLiteral("Downloads/a.pdf");
            QTest::addRow("%s: name taken there", from)
                << shelf << QStringLiteral("Downloads/a.pdf") << QStringLiteral("taken")
                << QStringLiteral("Downloads/a (1).pdf");
            QTest::addRow("%s: origin folder gone", from)
                << shelf << QStringLiteral("Gone/a.pdf") << QStringLiteral("gone")
                << QStringLiteral("Desktop/a.pdf");
            QTest::addRow("%s: origin folder is a file", from)
                << shelf << QStringLiteral("Downloads/a.pdf") << QStringLiteral("file")
                << QStringLiteral("Desktop/a.pdf");
            QTest::addRow("%s: no origin, no Desktop yet", from)
                << shelf << QString() << QStringLiteral("no desktop")
                << QStringLiteral("Desktop/a.pdf");
            QTest::addRow("%s: origin inside the storage folder", from)
                << shelf << QStringLiteral("Documents/RidezozEvar/Karpet/a.pdf") << QString()
                << QStringLiteral("Desktop/a.pdf");
        }
    }
    void backToWhereItCameFrom()
    {
        QFETCH(bool, fromShelf);
        QFETCH(QString, origin);
        QFETCH(QString, prepare);
        QFETCH(QString, expected);
        MoveFixture f;
        const QString home = f.home.home() + QLatin1Char('/');
        if (prepare != QLatin1String("no desktop"))
            QDir().mkpath(f.desktop());
        if (prepare == QLatin1String("taken"))
            f.userFile(QStringLiteral("Downloads/a.pdf"), "already there");
        else if (prepare == QLatin1String("file"))
            f.userFile(QStringLiteral("Downloads"), "a file, not a folder");
        else if (prepare != QLatin1String("gone"))
            QDir().mkpath(home + QStringLiteral("Downloads"));
        const QString stored =
            f.home.file((fromShelf ? QStringLiteral("Rak/") : QStringLiteral("Karpet/")) +
                            QStringLiteral("a.pdf"),
                        "pdf");
        if (!origin.isEmpty())
            setOrigin(stored, home + origin);
        f.storage->reloadAll();
        f.storage->setFloorItemPosition(QStringLiteral("a.pdf"), 0.3, 0.8);

        StdoutCapture out;
        if (fromShelf)
            f.storage->returnBookToDesktop(url(stored));
        else
            f.storage->restoreCarpetItemToDesktop(url(stored));
        QCOMPARE(out.finish(), QString());

        QVERIFY(!FileOperations::entryExists(stored));
        QCOMPARE(contentOf(home + expected), QByteArray("pdf"));
        if (prepare == QLatin1String("taken"))
            QCOMPARE(contentOf(home + QStringLiteral("Downloads/a.pdf")),
                     QByteArray("already there"));
        if (prepare == QLatin1String("file"))
            QCOMPARE(contentOf(home + QStringLiteral("Downloads")),
                     QByteArray("a file, not a folder"));
        QVERIFY(f.storage->bookshelfItems().isEmpty());
        QVERIFY(f.storage->carpetItems().isEmpty());
        if (!fromShelf)
            QVERIFY(!f.storedPositions().contains(QStringLiteral("a.pdf")));
    }

    void shelfLinkGoesAloneWithoutTheTrash_data()
    {
        QTest::addColumn<bool>("remove"); // remove from the shelf, or return
        QTest::newRow("return") << false;
        QTest::newRow("remove") << true;
    }
    void shelfLinkGoesAloneWithoutTheTrash()
    {
        QFETCH(bool, remove);
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Desktop/book.pdf"), "book");
        f.storage->addToBookshelf(url(user));
        const QString link = f.home.shelf() + QStringLiteral("/book.pdf");
        QVERIFY(f.home.isLink(QStringLiteral("Rak/book.pdf")));
        if (remove)
            f.storage->removeBookshelfItem(url(link));
        else
            f.storage->returnBookToDesktop(url(link));
        QVERIFY(!FileOperations::entryExists(link));
        QCOMPARE(contentOf(user), QByteArray("book"));
        QVERIFY(f.storage->bookshelfItems().isEmpty());
        QVERIFY(f.sounds.played.isEmpty());
        QVERIFY(trashedPaths(f.trashRoot()).isEmpty());
        QVERIFY(!FileOperations::entryExists(f.desktop() + QStringLiteral("/book (1).pdf")));
    }

    void failedReturnKeepsTheItem_data()
    {
        QTest::addColumn<bool>("fromShelf");
        QTest::addColumn<QString>("line");
        QTest::newRow("shelf") << true
                               << QStringLiteral("Gagal mengembalikan buku ke desktop: %1\n");
        QTest::newRow("carpet") << false
                                << QStringLiteral("Pondsill: gagal mengembalikan x.txt: %1\n");
    }
    void failedReturnKeepsTheItem()
    {
        QFETCH(bool, fromShelf);
        QFETCH(QString, line);
        MoveFixture f;
        // A plain file where the Desktop should be: nothing can be put into it.
        f.userFile(QStringLiteral("Desktop"), "not a folder");
        const QString stored =
            f.home.file((fromShelf ? QStringLiteral("Rak/") : QStringLiteral("Karpet/")) +
                            QStringLiteral("x.txt"),
                        "x");
        f.storage->reloadAll();
        f.storage->setFloorItemPosition(QStringLiteral("x.txt"), 0.3, 0.8);

        StdoutCapture out;
        if (fromShelf)
            f.storage->returnBookToDesktop(url(stored));
        else
            f.storage->restoreCarpetItemToDesktop(url(stored));
        QCOMPARE(out.finish(), line.arg(FileOperations::Result{ENOTDIR}.message()));

        QCOMPARE(contentOf(stored), QByteArray("x"));
        QCOMPARE(f.storedPositions().value(QStringLiteral("x.txt")), (StoredPosition{0.3, 0.8}));
    }

    void backToAnotherFileSystem_data()
    {
        QTest::addColumn<QByteArray>("stick"); // what the file system holding the origin is
        QTest::addColumn<int>("error");        // 0: the item goes back
        QTest::newRow("without user attributes") << QByteArray("ramfs") << 0;
        QTest::newRow("full") << QByteArray("full") << ENOSPC;
        QTest::newRow("read-only") << QByteArray("read-only") << EROFS;
    }
    void backToAnotherFileSystem()
    {
        QFETCH(QByteArray, stick);
        QFETCH(int, error);
        ScratchMount mount(stick == "ramfs" ? "ramfs" : "tmpfs");
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount here: ") + mount.error()));
        const QByteArray top = QFile::encodeName(mount.path());
        if (stick == "full") {
            const int fd = ::open(top + "/filler", O_WRONLY | O_CREAT, 0600);
            QVERIFY(fd >= 0);
            const std::vector<char> block(1 << 16, 'f');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            ::close(fd);
        } else if (stick == "read-only") {
            QCOMPARE(::mount(nullptr, top.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        }
        MoveFixture f;
        const QString stored =
            f.home.file(QStringLiteral("Karpet/Holiday/beach.jpg"), QByteArray(1 << 20, 'b'));
        f.home.link(QStringLiteral("Karpet/Holiday/latest"), QStringLiteral("beach.jpg"));
        const QString item = f.home.carpet() + QStringLiteral("/Holiday");
        setOrigin(item, mount.path() + QStringLiteral("/Holiday"));
        f.storage->reloadAll();
        f.storage->setFloorItemPosition(QStringLiteral("Holiday"), 0.3, 0.8);

        StdoutCapture out;
        f.storage->restoreCarpetItemToDesktop(url(item));
        const QString printed = out.finish();

        const QString back = mount.path() + QStringLiteral("/Holiday");
        if (error == 0) {
            QCOMPARE(printed, QString());
            QCOMPARE(contentOf(back + QStringLiteral("/beach.jpg")), QByteArray(1 << 20, 'b'));
            QCOMPARE(FileOperations::readLink(back + QStringLiteral("/latest")),
                     std::optional(QStringLiteral("beach.jpg")));
            QVERIFY(!FileOperations::entryExists(item));
            return;
        }
        QCOMPARE(printed, QStringLiteral("Pondsill: gagal mengembalikan Holiday: ") +
                              FileOperations::Result{error}.message() + u'\n');
        // Whole where it was, and nothing half-made on the stick.
        QCOMPARE(contentOf(stored), QByteArray(1 << 20, 'b'));
        QVERIFY(FileOperations::isSymbolicLink(item + QStringLiteral("/latest")));
        QVERIFY(!FileOperations::entryExists(back));
        QCOMPARE(f.storedPositions().value(QStringLiteral("Holiday")), (StoredPosition{0.3, 0.8}));
    }

    void everythingGoesBackButAFailedPhotoStays()
    {
        MoveFixture f;
        const QString home = f.home.home() + QLatin1Char('/');
        QDir().mkpath(home + QStringLiteral("Pictures"));
        QDir().mkpath(home + QStringLiteral("Downloads"));
        // A plain file where the Desktop should be: what has no origin cannot go back.
        f.userFile(QStringLiteral("Desktop"), "not a folder");
        const QString shelfItem = f.home.file(QStringLiteral("Rak/book.pdf"), "book");
        setOrigin(shelfItem, home + QStringLiteral("Downloads/book.pdf"));
        const QString user = f.userFile(QStringLiteral("Music/linked.txt"), "linked");
        f.home.link(QStringLiteral("Rak/linked.txt"), user);
        const QString carpetItem = f.home.file(QStringLiteral("Karpet/note.txt"), "note");
        setOrigin(carpetItem, home + QStringLiteral("Downloads/note.txt"));
        const QString leaving = f.home.file(QStringLiteral("Album/frame_0.jpg"), "photo 0");
        setOrigin(leaving, home + QStringLiteral("Pictures/beach.jpg"));
        const QString staying = f.home.file(QStringLiteral("Album/frame_1.jpg"), "photo 1");
        f.storage->reloadAll();
        f.storage->setPhotoTransform(0, 2, 10, 5, 5);
        f.storage->setPhotoTransform(1, 3, 20, 6, 6);
        QCOMPARE(f.storage->photoSlots().size(), 2);

        StdoutCapture out;
        f.storage->returnEverythingToOrigin();
        QCOMPARE(out.finish(), QStringLiteral("Gagal mengembalikan buku ke desktop: ") +
                                   FileOperations::Result{ENOTDIR}.message() + u'\n');

        QCOMPARE(contentOf(home + QStringLiteral("Downloads/book.pdf")), QByteArray("book"));
        QCOMPARE(contentOf(home + QStringLiteral("Downloads/note.txt")), QByteArray("note"));
        QCOMPARE(contentOf(home + QStringLiteral("Pictures/frame_0.jpg")), QByteArray("photo 0"));
        QCOMPARE(contentOf(user), QByteArray("linked"));
        QVERIFY(f.storage->bookshelfItems().isEmpty());
        QVERIFY(f.storage->carpetItems().isEmpty());
        // The photo that could not leave is still framed, with its transform.
        QCOMPARE(contentOf(staying), QByteArray("photo 1"));
        QCOMPARE(f.storage->photoSlots(), (PhotoSlots{{1, url(staying)}}));
        QCOMPARE(f.storage->transform(1), (PhotoTransform{3, 20, 6, 6}));
        QCOMPARE(f.storage->transform(0), PhotoTransform{});
        const auto stored =
            decodePhotoTransforms(f.home.read(QStringLiteral("photo_transforms.json")));
        QVERIFY(stored);
        QCOMPARE(stored->value(0), PhotoTransform{});
        QCOMPARE(stored->value(1), (PhotoTransform{3, 20, 6, 6}));
    }

    void everythingBackInAnEmptyRoomDoesNothing()
    {
        MoveFixture f;
        const QByteArray floor = f.home.read(QStringLiteral("floor_positions.json"));
        StdoutCapture out;
        f.storage->returnEverythingToOrigin();
        QCOMPARE(out.finish(), QString());
        QCOMPARE(f.home.read(QStringLiteral("floor_positions.json")), floor);
        QVERIFY(!f.home.exists(QStringLiteral("photo_transforms.json")));
        QVERIFY(!FileOperations::entryExists(f.desktop()));
    }

    void everyKindGoesToTheTrash()
    {
        MoveFixture f;
        const QString target = f.userFile(QStringLiteral("Documents/target.txt"), "target");
        f.home.file(QStringLiteral("Karpet/Café 50% file.txt"), "file");
        f.home.file(QStringLiteral("Karpet/Folder/inner.txt"), "inner");
        f.home.link(QStringLiteral("Karpet/link.txt"), target);
        f.home.link(QStringLiteral("Karpet/dangling"), QStringLiteral("/gone/away"));
        const QString shelfItem = f.home.file(QStringLiteral("Rak/book.pdf"), "book");
        f.storage->reloadAll();
        for (const QString& name : {QStringLiteral("Café 50% file.txt"), QStringLiteral("Folder"),
                                    QStringLiteral("link.txt")})
            f.storage->setFloorItemPosition(name, 0.3, 0.8);
        QStringList originals;
        for (const QString& name : {QStringLiteral("Café 50% file.txt"), QStringLiteral("Folder"),
                                    QStringLiteral("link.txt"), QStringLiteral("dangling")})
            originals.append(f.home.carpet() + QLatin1Char('/') + name);

        StdoutCapture out;
        for (const QString& path : originals)
            f.storage->trashCarpetItem(url(path));
        f.storage->removeBookshelfItem(url(shelfItem));
        QCOMPARE(out.finish(), QString());

        originals.append(shelfItem);
        originals.sort();
        QCOMPARE(trashedPaths(f.trashRoot()), originals);
        for (const QString& path : originals)
            QVERIFY(!FileOperations::entryExists(path));
        QCOMPARE(contentOf(target), QByteArray("target"));
        QVERIFY(f.storedPositions().isEmpty());
        QVERIFY(f.storage->carpetItems().isEmpty());
        QVERIFY(f.storage->bookshelfItems().isEmpty());
        QCOMPARE(f.sounds.played, QStringList(5, QStringLiteral("trash-empty")));
        QVERIFY(FileOperations::readLink(f.trashRoot() + QStringLiteral("/files/dangling")));

        // The standard tools list them with the paths they came from.
        const QString trashList = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
        if (trashList.isEmpty())
            QSKIP("trash-list (trash-cli) is not installed; scripts/install-deps installs it");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), f.home.home());
        env.insert(QStringLiteral("XDG_DATA_HOME"), qEnvironmentVariable("XDG_DATA_HOME"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(env);
        process.start(trashList, {});
        QVERIFY(process.waitForFinished(30000));
        const QString listed = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString& path : originals)
            QVERIFY2(listed.contains(u' ' + path + u'\n'), qPrintable(listed));
    }

    void refusedTrashKeepsTheItemAndItsPlace()
    {
        MoveFixture f;
        RefusingTrash refusing;
        f.storage->setTrash(&refusing);
        const QString item = f.home.file(QStringLiteral("Karpet/keep \"me\".txt"), "keep");
        f.storage->reloadAll();
        f.storage->setFloorItemPosition(QStringLiteral("keep \"me\".txt"), 0.3, 0.8);

        StdoutCapture out;
        f.storage->trashCarpetItem(url(item));
        const bool trashed = f.storage->moveToTrash(url(item));
        QCOMPARE(out.finish(), QStringLiteral("Pondsill: gagal membuang ke sampah: %1\n"
                                              "Pondsill: gagal membuang ke sampah: %1\n")
                                   .arg(item));
        QVERIFY(!trashed);
        QCOMPARE(contentOf(item), QByteArray("keep"));
        QCOMPARE(f.storage->floorItemPositions().value(QStringLiteral("keep \"me\".txt")),
                 (StoredPosition{0.3, 0.8}));
        QCOMPARE(f.storedPositions().value(QStringLiteral("keep \"me\".txt")),
                 (StoredPosition{0.3, 0.8}));
        QCOMPARE(namesOf(f.storage->carpetItems()), QStringList{QStringLiteral("keep \"me\".txt")});
        QVERIFY(f.sounds.played.isEmpty());
    }
};

PONDSILL_TEST(OriginAndTrashTest)
#include "origin_and_trash_test.moc"
