#include "platform/background_work.h"
#include "platform/entry_watcher.h"
#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "platform/thumbnails.h"
#include "support/plain_user.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
QByteArray readRaw(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    char buffer[256];
    const ssize_t got = fd < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
    if (fd >= 0)
        ::close(fd);
    return got > 0 ? QByteArray(buffer, qsizetype(got)) : QByteArray();
}
} // namespace

// Moving, copying and removing the user's files, watching folders and reading pictures.
class FilesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString at(const QString& relative) const { return m_dir->path() + u'/' + relative; }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void renamesNeverReplaceAFile()
    {
        const QString a = writeFile(at(u"a"_s), "a");
        const QString b = writeFile(at(u"b"_s), "b");
        const QString link = at(u"link"_s);
        FileOperations::createSymbolicLink(b, link);
        QCOMPARE(std::tuple(FileOperations::renameNoReplace(a, b).error,
                            FileOperations::renameNoReplace(a, link).error,
                            FileOperations::renameReplacingLink(a, b).error),
                 std::tuple(EEXIST, EEXIST, EEXIST));
        QCOMPARE(contentOf(a) + contentOf(b), "ab");

        // Only a link gives way, and a folder can take its place too.
        QVERIFY(FileOperations::renameReplacingLink(a, link));
        QVERIFY(!FileOperations::isSymbolicLink(link));
        QCOMPARE(contentOf(link) + contentOf(b), "ab");
        QDir().mkpath(at(u"folder/inner"_s));
        FileOperations::createSymbolicLink(b, at(u"link2"_s));
        QVERIFY(FileOperations::renameReplacingLink(at(u"folder"_s), at(u"link2"_s)));
        QVERIFY(FileOperations::isDirectory(at(u"link2/inner"_s)));
    }

    void copyAndRemovalKeepLinksAttributesModesAndRawNames()
    {
        const QString src = at(u"src"_s);
        const QString doc = writeFile(src + u"/doc.txt"_s, "content");
        writeFile(src + u"/sub/.hidden"_s, "h");
        FileOperations::createSymbolicLink(writeFile(at(u"keep/outside.txt"_s), "p"),
                                           src + u"/abs"_s);
        FileOperations::createSymbolicLink(at(u"keep"_s), src + u"/sub/link to keep"_s);
        FileOperations::createSymbolicLink(u"doc.txt"_s, src + u"/rel"_s);
        FileOperations::createSymbolicLink(u"/nowhere"_s, src + u"/dangling"_s);
        // Longer than the 1024 bytes once assumed; ext4 holds up to about one block.
        const QByteArray origin = "/home/x/" + QByteArray(3000, 'p');
        QVERIFY(ExtendedAttributes::write(doc, ExtendedAttributes::originName, origin));
        QVERIFY(ExtendedAttributes::write(src, ExtendedAttributes::addedName, "12.5"));
        ::chmod(qPrintable(doc), 0640);
        struct timespec times[2] = {{1000000, 0}, {1500000000, 0}};
        ::utimensat(AT_FDCWD, qPrintable(doc), times, 0);
        // Names on disk are bytes: ones that are no UTF-8 are copied and removed as well.
        const QByteArray raw = QFile::encodeName(src);
        QVERIFY(writeRaw(raw + "/caf\xe9.txt", "latin-1 name"));
        QCOMPARE(::mkdir(raw + "/\xff folder", 0755), 0);
        QVERIFY(writeRaw(raw + "/\xff folder/inner\xfe", "inner"));

        const QString dst = at(u"dst"_s);
        QVERIFY(FileOperations::copyItem(src, dst));
        const QByteArray copy = QFile::encodeName(dst);
        QCOMPARE(QByteArrayList({contentOf(dst + u"/doc.txt"_s), contentOf(dst + u"/sub/.hidden"_s),
                                 readRaw(copy + "/caf\xe9.txt"),
                                 readRaw(copy + "/\xff folder/inner\xfe"), contentOf(doc)}),
                 QByteArrayList({"content", "h", "latin-1 name", "inner", "content"}));
        QStringList links;
        for (const char* name : {"/abs", "/rel", "/dangling"})
            links << FileOperations::readLink(dst + QLatin1String(name)).value_or(QString());
        QCOMPARE(links, QStringList({at(u"keep/outside.txt"_s), u"doc.txt"_s, u"/nowhere"_s}));
        QCOMPARE(ExtendedAttributes::read(dst + u"/doc.txt"_s, ExtendedAttributes::originName),
                 std::optional(origin));
        QCOMPARE(ExtendedAttributes::read(dst, ExtendedAttributes::addedName),
                 std::optional<QByteArray>("12.5"));
        struct stat st {};
        QCOMPARE(::stat(qPrintable(dst + u"/doc.txt"_s), &st), 0);
        QCOMPARE(std::pair(int(st.st_mode & 0777), qint64(st.st_mtim.tv_sec)),
                 std::pair(0640, qint64(1500000000)));
        // Removal never follows links; a link to a folder goes by itself. (The temporary
        // folder's own clean-up cannot reach the names that are no UTF-8.)
        QVERIFY(FileOperations::removeItem(dst) && FileOperations::removeItem(src));
        QVERIFY(!FileOperations::entryExists(src) && !FileOperations::entryExists(dst));
        FileOperations::createSymbolicLink(at(u"keep"_s), at(u"dirlink"_s));
        QVERIFY(FileOperations::removeItem(at(u"dirlink"_s)));
        QCOMPARE(contentOf(at(u"keep/outside.txt"_s)), QByteArray("p"));
        QCOMPARE(FileOperations::removeItem(at(u"none"_s)).error, ENOENT);
    }

    // Removal takes the one entry it names and nothing else. By path, the folder that
    // holds it may be reached through a link; by name (the Trash's own folders) never, a
    // folder stays when only files are to go, and a name must be one entry of the folder.
    void removalTakesOnlyTheNamedEntry_data()
    {
        QTest::addColumn<bool>("byPath"); // removeItem(folder/name), else removeEntryIn
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("folders");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("gone");
        QTest::newRow("path: a file in a linked folder")
            << true << u"via"_s << QByteArray("doc.txt") << true << 0 << u"real/doc.txt"_s;
        QTest::newRow("path: a link to a folder, not the folder")
            << true << u"."_s << QByteArray("via") << true << 0 << u"via"_s;
        QTest::newRow("name: a file in a linked folder")
            << false << u"via"_s << QByteArray("doc.txt") << true << ENOTDIR << QString();
        QTest::newRow("name: a file, files only")
            << false << u"real"_s << QByteArray("doc.txt") << false << 0 << u"real/doc.txt"_s;
        QTest::newRow("name: a folder with its content")
            << false << u"real"_s << QByteArray("sub") << true << 0 << u"real/sub"_s;
        QTest::newRow("name: a folder, files only")
            << false << u"real"_s << QByteArray("sub") << false << EISDIR << QString();
        QTest::newRow("name: a path")
            << false << u"real"_s << QByteArray("sub/inner.txt") << true << EINVAL << QString();
        QTest::newRow("name: the parent")
            << false << u"real/sub"_s << QByteArray("..") << true << EINVAL << QString();
        QTest::newRow("name: empty")
            << false << u"real"_s << QByteArray() << true << EINVAL << QString();
    }
    void removalTakesOnlyTheNamedEntry()
    {
        QFETCH(bool, byPath);
        QFETCH(QString, folder);
        QFETCH(QByteArray, name);
        QFETCH(bool, folders);
        QFETCH(int, error);
        QFETCH(QString, gone);
        writeFile(at(u"real/doc.txt"_s), "doc");
        writeFile(at(u"real/sub/inner.txt"_s), "inner");
        QVERIFY(FileOperations::createSymbolicLink(at(u"real"_s), at(u"via"_s)));
        const FileOperations::Result removed =
            byPath ? FileOperations::removeItem(at(folder) + u'/' + QString::fromUtf8(name))
                   : FileOperations::removeEntryIn(at(folder), name, folders);
        QCOMPARE(removed.error, error);
        for (const QString& entry :
             {u"real/doc.txt"_s, u"real/sub"_s, u"real/sub/inner.txt"_s, u"via"_s}) {
            const bool taken = !gone.isEmpty() && (entry == gone || entry.startsWith(gone + u'/'));
            QVERIFY2(FileOperations::entryExists(at(entry)) != taken, qPrintable(entry));
        }
    }

    // A copy that fails removes only what it made.
    void failedCopies_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("error");
        QTest::newRow("onto a file") << u"taken"_s << EEXIST;
        QTest::newRow("into itself") << u"src/inside"_s << EINVAL;
        QTest::newRow("a pipe inside") << u"dst"_s << 0; // the error is the system's
    }
    void failedCopies()
    {
        QFETCH(QString, to);
        QFETCH(int, error);
        const QString src = at(u"src"_s);
        writeFile(src + u"/a"_s, "a");
        writeFile(at(u"taken"_s), "taken");
        if (error == 0)
            QCOMPARE(::mkfifo(qPrintable(src + u"/pipe"_s), 0600), 0);
        const auto copied = FileOperations::copyItem(src, at(to));
        QVERIFY(!copied);
        if (error != 0)
            QCOMPARE(copied.error, error);
        QCOMPARE(contentOf(at(u"taken"_s)), QByteArray("taken"));
        QCOMPARE(FileOperations::entryExists(at(to)), to == u"taken");
        QStringList left = FileOperations::listEntries(src, true).value_or(QStringList());
        left.sort();
        QCOMPARE(left, error ? QStringList{u"a"_s} : (QStringList{u"a"_s, u"pipe"_s}));
        QCOMPARE(FileOperations::copyItem(at(u"none"_s), at(u"x"_s)).error, ENOENT);
    }

    void failedCopyOfReadOnlyFoldersLeavesNothing()
    {
        // Read-only folders copied before a later entry fails must not pin the half copy.
        const QString shared = at(u"shared"_s);
        QVERIFY(QDir().mkpath(shared));
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
        const PlainUserOutcome outcome = asPlainUser(shared, [&shared]() -> int {
            const QString src = shared + u"/src"_s;
            if (!QDir().mkpath(src) || !writeRaw(QFile::encodeName(src + u"/bad"_s), {}))
                return plainUserFailure(10, u"could not lay out "_s + src);
            ::chmod(QFile::encodeName(src + u"/bad"_s).constData(), 0); // unreadable
            // Enough read-only folders that one comes before the unreadable file.
            for (int n = 0;; ++n) {
                if (n == 64)
                    return plainUserFailure(11, u"no read-only folder is listed before bad"_s);
                const QString folder = src + u"/ro"_s + QString::number(n);
                writeFile(folder + u"/f"_s, "f");
                ::chmod(QFile::encodeName(folder).constData(), 0555);
                const QStringList order =
                    FileOperations::listEntries(src, true).value_or(QStringList());
                if (order.indexOf(u"bad"_s) > 0)
                    break;
            }
            const QString dst = shared + u"/dst"_s;
            if (FileOperations::copyItem(src, dst))
                return plainUserFailure(12, u"copied an unreadable file"_s);
            return FileOperations::entryExists(dst)
                       ? plainUserFailure(13, u"the failed copy left "_s + dst + u" behind"_s)
                       : 0;
        });
        QVERIFY2(outcome.succeeded(), outcome.report());
    }

    // Compared by whole path components.
    void within_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("within");
        QTest::newRow("the folder with a slash") << "/s/Karpet/" << true;
        QTest::newRow("inside") << "/s/Karpet/a/b" << true;
        QTest::newRow("sibling with a longer name") << "/s/Karpet2/a" << false;
        QTest::newRow("climbing out") << "/s/Karpet/../Rak/a" << false;
        QTest::newRow("empty") << "" << false;
    }
    void within()
    {
        QFETCH(QString, path);
        QTEST(FileOperations::isWithin(path, u"/s/Karpet"_s), "within");
    }

    void removedFolderMadeAgainIsWatchedAgain_data()
    {
        QTest::addColumn<bool>("wholeTree"); // the watched parent goes too
        QTest::newRow("the child folder") << false;
        QTest::newRow("the whole tree") << true;
    }
    void removedFolderMadeAgainIsWatchedAgain()
    {
        QFETCH(bool, wholeTree);
        const QString root = at(u"root"_s);
        const QString child = root + u"/child"_s;
        QDir().mkpath(child);
        FolderWatcher watcher({root, child}, 50);
        QSignalSpy spy(&watcher, &FolderWatcher::changed);
        QVERIFY(FileOperations::removeItem(wholeTree ? root : child));
        QTRY_VERIFY(!spy.isEmpty());
        QTRY_COMPARE(watcher.watchedFolders(), wholeTree ? QStringList() : QStringList{root});
        QDir().mkpath(child);
        QTRY_COMPARE(watcher.watchedFolders().size(), 2);
        spy.clear();
        writeFile(child + u"/new"_s);
        QTRY_COMPARE(spy.count(), 1);
        // The folder whose entries changed is named (with the parent, when that came back
        // with it a moment ago).
        const QStringList named = spy.first().first().toStringList();
        QVERIFY(wholeTree ? named.contains(child) : named == QStringList{child});
        // Events in the parent that only stood in for the missing folders are not news.
        spy.clear();
        writeFile(at(u"unrelated"_s));
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
    }

    // A shelved folder its user may not read when the watching begins cannot be watched itself:
    // its permissions given back are still seen (the box then counts its files), and from then
    // on what is put in it. Run as a user whom the folder's mode binds.
    void anEntryReadableAgainIsSeen_data()
    {
        QTest::addColumn<bool>("throughALink");
        QTest::newRow("a folder in the shelf") << false;
        QTest::newRow("a link to a folder elsewhere") << true;
    }
    void anEntryReadableAgainIsSeen()
    {
        QFETCH(bool, throughALink);
        const QString shared = at(u"home"_s);
        const QString folder = shared + (throughALink ? u"/Desktop/Rahasia"_s : u"/Rak/Rahasia"_s);
        const QString entry = shared + u"/Rak/Rahasia"_s;
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(shared + u"/Rak"_s));
        writeFile(folder + u"/satu.txt"_s);
        if (throughALink)
            QVERIFY(QFile::link(folder, entry));
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
        const PlainUserOutcome outcome = asPlainUser(shared, [&]() -> int {
            const QByteArray bytes = QFile::encodeName(folder);
            if (::chmod(bytes.constData(), 0) != 0)
                return plainUserFailure(1, u"could not lock "_s + folder);
            EntryWatcher watcher(20);
            QSignalSpy spy(&watcher, &EntryWatcher::changed);
            watcher.watch({entry});
            const auto seen = [&spy, &entry] {
                for (int wait = 0; wait < 50 && spy.isEmpty(); ++wait)
                    spy.wait(100);
                const bool named =
                    !spy.isEmpty() && spy.first().first().toStringList() == QStringList{entry};
                spy.clear();
                return named;
            };
            if (::chmod(bytes.constData(), 0755) != 0)
                return plainUserFailure(2, u"could not open "_s + folder + u" again"_s);
            if (!seen())
                return plainUserFailure(3, u"the permissions given back went unseen"_s);
            writeFile(folder + u"/dua.txt"_s);
            if (!seen())
                return plainUserFailure(4, u"a file made in the folder went unseen"_s);
            return 0;
        });
        QVERIFY2(outcome.succeeded(), outcome.report());
    }

    // A shelf's list changing arms only the entries new to it and disarms only those that
    // left: a drop of ten onto a shelf of a thousand costs ten, and a list of thousands is
    // armed a slice at a time. What is armed is still seen going.
    void onlyNewEntriesAreArmed_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("kept"); // the first `kept` entries of the list before
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("armed");
        QTest::newRow("ten added to a thousand") << 1000 << 1000 << 10 << 10;
        QTest::newRow("ten taken from a thousand") << 1000 << 990 << 0 << 0;
        QTest::newRow("every entry another") << 300 << 0 << 700 << 700;
        // Most of a long list gone: what stays is armed afresh, on a watcher of its own.
        QTest::newRow("nine hundred taken from a thousand") << 1000 << 100 << 5 << 105;
    }
    void onlyNewEntriesAreArmed()
    {
        QFETCH(int, before);
        QFETCH(int, kept);
        QFETCH(int, added);
        QFETCH(int, armed);
        QVERIFY(QDir().mkpath(at(u"Asal"_s)) && QDir().mkpath(at(u"Rak"_s)));
        const auto entries = [this](int from, int count) {
            QStringList paths;
            for (int i = from; i < from + count; ++i) {
                const QString target = writeFile(at(u"Asal/berkas %1"_s.arg(i)));
                paths.append(at(u"Rak/%1"_s.arg(i)));
                if (!QFile::link(target, paths.last()))
                    return QStringList();
            }
            return paths;
        };
        const QStringList first = entries(0, before);
        const QStringList news = entries(before, added);
        QCOMPARE(first.size() + news.size(), before + added);
        EntryWatcher watcher(20);
        QSignalSpy spy(&watcher, &EntryWatcher::changed);
        watcher.watch(first);
        QTRY_COMPARE(watcher.armings(), qsizetype(before));

        const QStringList second = first.mid(0, kept) + news;
        watcher.watch(second);
        QVERIFY(watcher.armings() - before <= EntryWatcher::kArmSlice);
        QTRY_COMPARE(watcher.armings() - before, qsizetype(armed));
        QTest::qWait(50);
        QCOMPARE(watcher.armings() - before, qsizetype(armed));
        // Each entry through its link, and the folder that holds what they lead to.
        QCOMPARE(watcher.watched().size(), second.size() + 1);
        for (const QString& gone : first.mid(kept))
            QVERIFY(!watcher.watched().contains(gone));

        // The last entry's item thrown away is seen; one that left the list is not.
        if (kept < before)
            QVERIFY(QFile::remove(at(u"Asal/berkas %1"_s.arg(before - 1))));
        QVERIFY(QFile::remove(QFile::symLinkTarget(second.last())));
        QTRY_VERIFY(!spy.isEmpty());
        QTest::qWait(100);
        QStringList named;
        for (const QList<QVariant>& signal : std::as_const(spy))
            named += signal.first().toStringList();
        QCOMPARE(named, QStringList{second.last()});
    }

    void thumbnailsTurnAsThePictureSays()
    {
        const QString path = at(u"turned.jpg"_s);
        QImage image(400, 100, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QImageWriter writer(path, "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(image));
        QCOMPARE(Thumbnails::load(path, 200).size(), QSize(50, 200));
        QVERIFY(Thumbnails::load(m_dir->path(), 500).isNull()); // a folder
    }
    // Only a regular file is read for a picture: a pipe bearing a photo's name in the album
    // would otherwise hold its reader until something wrote to it, and with it a worker and
    // the program's exit. A picture whose name gives the wrong format, or a link to one,
    // still reads.
    void aThumbnailIsMadeOfRegularFilesOnly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("read");
        QTest::newRow("pipe") << u"pipe"_s << false;
        QTest::newRow("folder") << u"folder"_s << false;
        QTest::newRow("wrong extension") << u"png named jpg"_s << true;
        QTest::newRow("link to a picture") << u"link"_s << true;
    }
    void aThumbnailIsMadeOfRegularFilesOnly()
    {
        QFETCH(QString, kind);
        QFETCH(bool, read);
        const QString path = at(u"frame_1.jpg"_s);
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        if (kind == u"pipe"_s) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == u"folder"_s) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"link"_s) {
            QVERIFY(picture.save(at(u"real.png"_s), "png"));
            QVERIFY(QFile::link(at(u"real.png"_s), path));
        } else {
            QVERIFY(picture.save(path, "png"));
        }
        auto loaded = std::async(std::launch::async, [&] { return Thumbnails::load(path, 500); });
        const bool done = loaded.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!done) {
            // Lets a reader stuck on the pipe go before the test fails.
            QFile writer(path);
            QVERIFY(writer.open(QIODevice::WriteOnly));
        }
        QVERIFY2(done, "the reader waits on the pipe");
        QCOMPARE(loaded.get().size(), read ? QSize(40, 20) : QSize(0, 0));
    }

    void paintingNeverWaitsForTheProgramsJobs()
    {
        // Every worker busy with a long job (a copy across devices, say) while a tall
        // shape is drawn: the raster engine splits such fills over Qt's own pool and waits
        // for the pieces, so they must not queue behind our jobs.
        BackgroundWork::settlePaintingHelpers();
        QThreadPool* pool = BackgroundWork::pool();
        const int workers = pool->maxThreadCount();
        QSemaphore started;
        QSemaphore finish;
        for (int i = 0; i < workers; ++i) {
            pool->start([&] {
                started.release();
                finish.acquire();
            });
        }
        QVERIFY(started.tryAcquire(workers, 10000));

        std::atomic<bool> painted = false;
        std::atomic<bool> waited = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 1000 && !painted; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            waited = !painted;
            finish.release(workers);
        });
        QImage image(600, 600, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter(&image).fillRect(QRect(10, 10, 560, 570), QColor(200, 40, 40, 128));
        painted = true;
        watchdog.join();
        pool->waitForDone();
        QVERIFY2(!waited, "the fill waited until the jobs ended");
        QCOMPARE(image.pixelColor(300, 300).alpha(), 128);
    }

    // The tests fork work as a plain user: a pool's thread still ending as the process forks
    // (destroying its thread-local objects, the allocator taking its caches back) can hold a
    // lock the child then waits for for good. Whatever the pool, its threads are gone.
    void poolThreadsAreGoneOnceLetGo_data()
    {
        QTest::addColumn<QString>("pool");
        QTest::newRow("the program's") << u"program"_s;
        QTest::newRow("Qt's own") << u"global"_s;
        QTest::newRow("a writer's") << u"tracked"_s;
        QTest::newRow("one already deleted") << u"deleted"_s;
    }
    void poolThreadsAreGoneOnceLetGo()
    {
        QFETCH(QString, pool);
        struct SlowToEnd {
            ~SlowToEnd() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }
        };
        std::atomic<pid_t> worker = 0;
        const auto job = [&worker] {
            thread_local SlowToEnd slow;
            static_cast<void>(&slow);
            worker = ::gettid();
        };
        auto own = std::make_unique<QThreadPool>();
        if (pool == u"program")
            BackgroundWork::pool()->start(job);
        else if (pool == u"global")
            QThreadPool::globalInstance()->start(job);
        else
            own->start(job);
        if (pool == u"tracked")
            BackgroundWork::track(own.get());
        QTRY_VERIFY(worker != 0);
        if (pool == u"deleted")
            own.reset();
        QVERIFY(BackgroundWork::letThreadsGo());
        if (pool == u"tracked")
            BackgroundWork::untrack(own.get());
        QVERIFY2(!QFileInfo::exists(u"/proc/self/task/%1"_s.arg(worker.load())),
                 "a pool's thread is still running");
    }
};

PONDSILL_TEST(FilesTest)
#include "files_test.moc"
