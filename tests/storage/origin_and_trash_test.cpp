#include "platform/file_operations.h"
#include "platform/trash.h"
#include "storage_fixture.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <vector>

namespace {
// The original paths of what the home trash holds, as its info files say.
QStringList trashedPaths(const QString& trashRoot)
{
    QStringList paths;
    const QDir info(trashRoot + u"/info"_s);
    for (const QString& name : info.entryList({u"*.trashinfo"_s}, QDir::Files)) {
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

class RefusingTrash : public Trash {
public:
    bool moveToTrash(const QString&, QString* error) override
    {
        if (error)
            *error = u"refused"_s;
        return false;
    }
};

// Returns a stored item the way its menu does.
void returnItem(StorageManager& storage, const QString& item, bool fromShelf)
{
    if (fromShelf)
        storage.returnBookToDesktop(url(item));
    else
        storage.restoreCarpetItemToDesktop(url(item));
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
            const QString origin = u"Downloads/a.pdf"_s;
            const QString desktop = u"Desktop/a.pdf"_s;
            QTest::addRow("%s: into the origin folder", from)
                << shelf << origin << QString() << origin;
            QTest::addRow("%s: name taken there", from)
                << shelf << origin << u"taken"_s << u"Downloads/a (1).pdf"_s;
            QTest::addRow("%s: origin folder gone", from)
                << shelf << u"Gone/a.pdf"_s << u"gone"_s << desktop;
            QTest::addRow("%s: origin folder is a file", from)
                << shelf << origin << u"file"_s << desktop;
            QTest::addRow("%s: no origin, no Desktop yet", from)
                << shelf << QString() << u"no desktop"_s << desktop;
            QTest::addRow("%s: origin inside the storage folder", from)
                << shelf << u"Documents/RidezozEvar/Karpet/a.pdf"_s << QString() << desktop;
        }
    }
    void backToWhereItCameFrom()
    {
        QFETCH(bool, fromShelf);
        QFETCH(QString, origin);
        QFETCH(QString, prepare);
        QFETCH(QString, expected);
        StorageHome f;
        const QString home = f.home() + u'/';
        if (prepare != u"no desktop")
            QDir().mkpath(f.desktop());
        if (prepare == u"taken")
            f.userFile(u"Downloads/a.pdf"_s, "already there");
        else if (prepare == u"file")
            f.userFile(u"Downloads"_s, "a file, not a folder");
        else if (prepare != u"gone")
            QDir().mkpath(home + u"Downloads"_s);
        const QString stored = f.file((fromShelf ? u"Rak/a.pdf"_s : u"Karpet/a.pdf"_s), "pdf");
        if (!origin.isEmpty())
            setOrigin(stored, home + origin);
        StorageManager& storage = f.start();
        storage.setFloorItemPosition(u"a.pdf"_s, 0.3, 0.8);

        StdoutCapture out;
        returnItem(storage, stored, fromShelf);
        QCOMPARE(out.finish(), QString());

        QVERIFY(!FileOperations::entryExists(stored));
        QCOMPARE(contentOf(home + expected), QByteArray("pdf"));
        if (prepare == u"taken")
            QCOMPARE(contentOf(home + u"Downloads/a.pdf"_s), QByteArray("already there"));
        if (prepare == u"file")
            QCOMPARE(contentOf(home + u"Downloads"_s), QByteArray("a file, not a folder"));
        QVERIFY(storage.bookshelfItems().isEmpty() && storage.carpetItems().isEmpty());
        if (!fromShelf)
            QVERIFY(!f.storedPositions().contains(u"a.pdf"_s));
    }

    // A folder with a link inside goes back whole, or stays whole where it was.
    void returnElsewhere_data()
    {
        QTest::addColumn<bool>("fromShelf");
        QTest::addColumn<QByteArray>("origin"); // the file system the origin is on; none:
                                                // a plain file where the Desktop should be
        QTest::addColumn<int>("error");         // 0: the item goes back
        QTest::newRow("shelf, no Desktop folder") << true << QByteArray() << ENOTDIR;
        QTest::newRow("carpet, no Desktop folder") << false << QByteArray() << ENOTDIR;
        QTest::newRow("a stick without user attributes") << false << QByteArray("ramfs") << 0;
        QTest::newRow("a full stick") << false << QByteArray("full") << ENOSPC;
        QTest::newRow("a read-only stick") << false << QByteArray("read-only") << EROFS;
    }
    void returnElsewhere()
    {
        QFETCH(bool, fromShelf);
        QFETCH(QByteArray, origin);
        QFETCH(int, error);
        StorageHome f;
        ScratchMount mount(origin == "ramfs" ? "ramfs" : "tmpfs");
        if (!origin.isEmpty() && !mount.isMounted())
            QSKIP(qPrintable(u"cannot mount here: "_s + mount.error()));
        const QByteArray top = QFile::encodeName(mount.path());
        if (origin == "full") {
            const int fd = ::open(top + "/filler", O_WRONLY | O_CREAT, 0600);
            QVERIFY(fd >= 0);
            const std::vector<char> block(1 << 16, 'f');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            ::close(fd);
        } else if (origin == "read-only") {
            QCOMPARE(::mount(nullptr, top.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        } else if (origin.isEmpty()) {
            f.userFile(u"Desktop"_s, "not a folder");
        }
        const QByteArray photo(1 << 20, 'b');
        const QString item = f.dir(fromShelf ? u"Rak/Holiday"_s : u"Karpet/Holiday"_s);
        writeFile(item + u"/beach.jpg"_s, photo);
        FileOperations::createSymbolicLink(u"beach.jpg"_s, item + u"/latest"_s);
        const QString back = mount.path() + u"/Holiday"_s;
        if (!origin.isEmpty())
            setOrigin(item, back);
        StorageManager& storage = f.start();
        storage.setFloorItemPosition(u"Holiday"_s, 0.3, 0.8);

        StdoutCapture out;
        returnItem(storage, item, fromShelf);
        f.settle();
        const QString printed = out.finish();

        if (error == 0) {
            QCOMPARE(printed, QString());
            QCOMPARE(contentOf(back + u"/beach.jpg"_s), photo);
            QCOMPARE(FileOperations::readLink(back + u"/latest"_s), std::optional(u"beach.jpg"_s));
            QVERIFY(!FileOperations::entryExists(item));
            return;
        }
        const QString line = fromShelf ? u"Gagal mengembalikan buku ke desktop: "_s
                                       : u"Pondsill: gagal mengembalikan Holiday: "_s;
        QCOMPARE(printed, line + FileOperations::Result{error}.message() + u'\n');
        // Whole where it was, and nothing half-made on the stick.
        QCOMPARE(contentOf(item + u"/beach.jpg"_s), photo);
        QVERIFY(FileOperations::isSymbolicLink(item + u"/latest"_s));
        QVERIFY(!FileOperations::entryExists(back));
        QCOMPARE(f.storedPositions().value(u"Holiday"_s), (StoredPosition{0.3, 0.8}));
    }

    void everythingGoesBackButAFailedPhotoStays()
    {
        StorageHome f;
        StdoutCapture quiet; // an empty room has nothing to say
        f.start().returnEverythingToOrigin();
        QCOMPARE(quiet.finish(), QString());
        const QString home = f.home() + u'/';
        QDir().mkpath(home + u"Pictures"_s);
        QDir().mkpath(home + u"Downloads"_s);
        // A plain file where the Desktop should be: what has no origin cannot go back.
        f.userFile(u"Desktop"_s, "not a folder");
        setOrigin(f.file(u"Rak/book.pdf"_s, "book"), home + u"Downloads/book.pdf"_s);
        const QString user = f.userFile(u"Music/linked.txt"_s, "linked");
        f.link(u"Rak/linked.txt"_s, user);
        setOrigin(user, user); // as the shelf records it for a link of its own
        setOrigin(f.file(u"Karpet/note.txt"_s, "note"), home + u"Downloads/note.txt"_s);
        setOrigin(f.file(u"Album/frame_0.jpg"_s, "photo 0"), home + u"Pictures/beach.jpg"_s);
        const QString staying = f.file(u"Album/frame_1.jpg"_s, "photo 1");
        StorageManager& storage = f.start();
        storage.setPhotoTransform(0, 2, 10, 5, 5);
        storage.setPhotoTransform(1, 3, 20, 6, 6);
        QCOMPARE(storage.photoSlots().size(), 2);

        StdoutCapture out;
        storage.returnEverythingToOrigin();
        QCOMPARE(out.finish(), u"Gagal mengembalikan buku ke desktop: "_s +
                                   FileOperations::Result{ENOTDIR}.message() + u'\n');

        QCOMPARE(contentOf(home + u"Downloads/book.pdf"_s), QByteArray("book"));
        QCOMPARE(contentOf(home + u"Downloads/note.txt"_s), QByteArray("note"));
        QCOMPARE(contentOf(home + u"Pictures/frame_0.jpg"_s), QByteArray("photo 0"));
        QCOMPARE(contentOf(user), QByteArray("linked"));
        QVERIFY(storage.bookshelfItems().isEmpty() && storage.carpetItems().isEmpty());
        // The photo that could not leave is still framed, with its transform.
        QCOMPARE(contentOf(staying), QByteArray("photo 1"));
        QCOMPARE(storage.photoSlots(), (PhotoSlots{{1, url(staying)}}));
        const auto stored = decodePhotoTransforms(f.read(u"photo_transforms.json"_s));
        QVERIFY(stored);
        QCOMPARE(stored->value(0), PhotoTransform{});
        QCOMPARE(stored->value(1), (PhotoTransform{3, 20, 6, 6}));
    }

    void everyKindGoesToTheTrash()
    {
        StorageHome f;
        StorageManager& storage = f.start(); // before the dangling link, which repair removes
        const QString target = f.userFile(u"Documents/target.txt"_s, "target");
        f.file(u"Karpet/Café 50% file.txt"_s, "file");
        f.file(u"Karpet/Folder/inner.txt"_s, "inner");
        f.link(u"Karpet/link.txt"_s, target);
        f.link(u"Karpet/folder link"_s, f.home() + u"/Documents"_s);
        f.link(u"Karpet/dangling"_s, u"/gone/away"_s);
        const QString shelfItem = f.file(u"Rak/book.pdf"_s, "book");
        storage.reloadAll();
        QStringList originals;
        for (const QString& name : f.entries(u"Karpet"_s)) {
            storage.setFloorItemPosition(name, 0.3, 0.8);
            originals.append(f.carpet() + u'/' + name);
        }

        StdoutCapture out;
        for (const QString& path : originals)
            storage.trashCarpetItem(url(path));
        storage.removeBookshelfItem(url(shelfItem));
        QCOMPARE(out.finish(), QString());

        originals.append(shelfItem);
        originals.sort();
        QCOMPARE(trashedPaths(f.trashRoot()), originals);
        for (const QString& path : originals)
            QVERIFY(!FileOperations::entryExists(path));
        // Links went as themselves; what they point at stayed.
        QCOMPARE(contentOf(target), QByteArray("target"));
        QCOMPARE(FileOperations::readLink(f.trashRoot() + u"/files/link.txt"_s),
                 std::optional(target));
        QVERIFY(f.storedPositions().isEmpty());
        QVERIFY(storage.carpetItems().isEmpty() && storage.bookshelfItems().isEmpty());
        QCOMPARE(f.sounds.played, QStringList(6, u"trash-empty"_s));
        QVERIFY(FileOperations::readLink(f.trashRoot() + u"/files/dangling"_s));

        // The standard tools list them with the paths they came from.
        const QString trashList = QStandardPaths::findExecutable(u"trash-list"_s);
        if (trashList.isEmpty())
            QSKIP("trash-list (trash-cli) is not installed; scripts/install-deps installs it");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, f.home());
        env.insert(u"XDG_DATA_HOME"_s, qEnvironmentVariable("XDG_DATA_HOME"));
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        process.setProcessEnvironment(env);
        process.start(trashList, {});
        QVERIFY(process.waitForFinished(30000));
        const QString listed = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString& path : originals)
            QVERIFY2(listed.contains(u' ' + path + u'\n'), qPrintable(listed));
    }

    void refusedTrashKeepsTheItemAndItsPlace()
    {
        StorageHome f;
        RefusingTrash refusing;
        const QString name = u"keep \"me\".txt"_s;
        const QString item = f.file(u"Karpet/"_s + name, "keep");
        StorageManager& storage = f.start();
        storage.setTrash(&refusing);
        storage.setFloorItemPosition(name, 0.3, 0.8);

        StdoutCapture out;
        storage.trashCarpetItem(url(item));
        const bool trashed = storage.moveToTrash(url(item));
        QCOMPARE(out.finish(), u"Pondsill: gagal membuang ke sampah: %1\n"
                               "Pondsill: gagal membuang ke sampah: %1\n"_s.arg(item));
        QVERIFY(!trashed);
        QCOMPARE(contentOf(item), QByteArray("keep"));
        QCOMPARE(storage.floorItemPositions().value(name), (StoredPosition{0.3, 0.8}));
        QCOMPARE(f.storedPositions().value(name), (StoredPosition{0.3, 0.8}));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{name});
        QVERIFY(f.sounds.played.isEmpty());
    }
};

PONDSILL_TEST(OriginAndTrashTest)
#include "origin_and_trash_test.moc"
