#include "platform/file_operations.h"
#include "platform/freedesktop_trash.h"
#include "platform/user_trash.h"
#include "support/fake_app_registry.h"
#include "support/plain_user.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
struct InfoFile {
    QString entry; // its name in files/
    QByteArray path;
    QDateTime deleted;
};

// Every info file of a trash folder, read the way a file manager reads them.
QList<InfoFile> readInfo(const QString& trashRoot)
{
    QList<InfoFile> result;
    const QDir info(trashRoot + u"/info"_s);
    for (const QString& name : info.entryList({u"*.trashinfo"_s}, QDir::Files)) {
        const QList<QByteArray> lines = contentOf(info.filePath(name)).split('\n');
        if (lines.value(0) != "[Trash Info]")
            continue;
        InfoFile entry{name.chopped(10), {}, {}};
        for (const QByteArray& line : lines) {
            if (line.startsWith("Path="))
                entry.path = QByteArray::fromPercentEncoding(line.mid(5));
            else if (line.startsWith("DeletionDate="))
                entry.deleted = QDateTime::fromString(QString::fromLatin1(line.mid(13)),
                                                      u"yyyy-MM-dd'T'HH:mm:ss"_s);
        }
        result.append(entry);
    }
    return result;
}

// A home trash at `root` laid out by words: "name" a file, "name/" a folder of 100 files,
// "name->target" a symbolic link, each with its info file unless "!" ends the word; "%FF"
// in a name is that byte, so the name is no valid UTF-8.
void layOut(const QString& root, const QStringList& words)
{
    QDir().mkpath(root + u"/files"_s);
    QDir().mkpath(root + u"/info"_s);
    for (QString word : words) {
        const bool withInfo = !word.endsWith(u'!');
        if (!withInfo)
            word.chop(1);
        QString name = word.section(u"->"_s, 0, 0);
        if (word.contains(u"->"_s)) {
            QVERIFY(FileOperations::createSymbolicLink(word.section(u"->"_s, 1),
                                                       root + u"/files/"_s + name));
        } else if (word.endsWith(u'/')) {
            name.chop(1);
            for (int i = 0; i < 100; ++i)
                writeFile(root + u"/files/"_s + name + u"/f"_s + QString::number(i));
        } else {
            writeFile(root + u"/files/"_s + name);
        }
        if (withInfo)
            writeFile(root + u"/info/"_s + name + u".trashinfo"_s,
                      "[Trash Info]\nPath=/x/" + name.toUtf8() +
                          "\nDeletionDate=2024-01-01T00:00:00\n");
        const QByteArray at = QFile::encodeName(root),
                         raw = QByteArray::fromPercentEncoding(name.toUtf8());
        if (raw != name.toUtf8()) {
            QCOMPARE(::rename(at + "/files/" + name.toUtf8(), at + "/files/" + raw), 0);
            ::rename(at + "/info/" + name.toUtf8() + ".trashinfo",
                     at + "/info/" + raw + ".trashinfo");
        }
    }
}
} // namespace

class TrashTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The home Trash is made private when missing; same names never replace anything, every
    // entry keeps where it came from and when, and nothing that must stay is moved.
    void sameNamesNeverReplaceAnything()
    {
        TempHome home;
        const QString root = home.path() + u"/fresh/data/Trash"_s;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + u"/fresh/data"_s));
        FreedesktopTrash trash;
        QVERIFY(trash.moveToTrash(home.writeFile(u"One/a.txt"_s, "One")));
        for (const char* sub : {"", "/files", "/info"}) {
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(root + QLatin1String(sub)).constData(), &st) == 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0700));
        }
        // An entry left in files/ without its info file survives as well.
        writeFile(root + u"/files/a.3.txt"_s, "orphan");
        for (const QString& folder : {u"Two"_s, u"Three"_s})
            QVERIFY(trash.moveToTrash(home.writeFile(folder + u"/a.txt"_s, folder.toUtf8())));
        // A name that only just fits, whose numbered entry and info file must fit too, and an
        // extension so long that no numbered name of the usual shape would fit.
        for (const QString& name :
             {QString(120, QChar(0x00E9)) + u".txt"_s, u"b."_s + QString(250, u'x')}) {
            for (const QString& folder : {u"One"_s, u"Two"_s})
                QVERIFY(trash.moveToTrash(home.writeFile(folder + u'/' + name, "long")));
        }
        // A missing item, the Trash, an item in it, a folder holding it, no path: each refused
        // with a reason, and the Trash stays as it was.
        for (const QString& refused : {home.path() + u"/no"_s, root, root + u"/files/a.txt"_s,
                                       home.path() + u"/fresh"_s, QString()}) {
            QString error;
            QVERIFY2(!trash.moveToTrash(refused, &error) && !error.isEmpty(), qPrintable(refused));
        }
        QCOMPARE(contentOf(root + u"/files/a.3.txt"_s), QByteArray("orphan"));
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 7);
        for (const InfoFile& entry : info) {
            const QString original = QFile::decodeName(entry.path);
            QVERIFY(entry.entry.toUtf8().size() + 10 <= 255);
            QVERIFY(!entry.entry.contains(QChar::ReplacementCharacter));
            QVERIFY(qAbs(entry.deleted.secsTo(QDateTime::currentDateTime())) < 60);
            QCOMPARE(contentOf(root + u"/files/"_s + entry.entry),
                     original.endsWith(u"/a.txt") ? QFileInfo(original).dir().dirName().toUtf8()
                                                  : QByteArray("long"));
        }
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(trash.homeTrashPath(), home.path() + u"/.local/share/Trash"_s);
    }

    void otherFileSystemsUseTheirOwnTrash_data()
    {
        QTest::addColumn<QString>("prepared"); // what the mount's top holds beforehand
        QTest::addColumn<QString>("trashRoot");
        const QString uid = QString::number(::getuid());
        QTest::newRow("the user's .Trash-$uid") << QString() << u".Trash-"_s + uid;
        QTest::newRow("the administrator's .Trash/$uid") << u"sticky"_s << u".Trash/"_s + uid;
        QTest::newRow("no trash can be made there") << u"blocked"_s << QString();
    }
    void otherFileSystemsUseTheirOwnTrash()
    {
        QFETCH(QString, prepared);
        QFETCH(QString, trashRoot);
        ScratchMount mount;
        if (!mount.isMounted())
            QSKIP(qPrintable(u"cannot mount a tmpfs here: "_s + mount.error()));
        TempHome home;
        const QString top = mount.path();
        if (prepared == u"sticky") {
            QVERIFY(QDir().mkpath(top + u"/.Trash"_s));
            QVERIFY(::chmod(QFile::encodeName(top + u"/.Trash"_s).constData(), 01777) == 0);
        } else if (prepared == u"blocked") {
            writeFile(top + u"/.Trash-"_s + QString::number(::getuid()), "a file");
        }
        const QString item = writeFile(top + u"/photos/2024/beach.jpg"_s, "jpeg");
        FreedesktopTrash trash;
        QCOMPARE(trash.moveToTrash(item), !trashRoot.isEmpty());
        // Never copied into the home trash, whatever happened; the mount point never goes.
        QVERIFY(FileOperations::listEntries(home.dataHome() + u"/Trash/files"_s, true)
                    .value_or(QStringList())
                    .isEmpty());
        QVERIFY(!trash.moveToTrash(top));
        if (trashRoot.isEmpty()) {
            QCOMPARE(contentOf(item), QByteArray("jpeg"));
            return;
        }
        const QString root = top + u'/' + trashRoot;
        QCOMPARE(contentOf(root + u"/files/beach.jpg"_s), QByteArray("jpeg"));
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 1);
        // Relative to the mount's top, so the entry restores wherever it is mounted.
        QCOMPARE(info[0].path, QByteArray("photos/2024/beach.jpg"));
    }

    void countsWhatTheUserThrewAwayAndFollowsChangesMadeElsewhere_data()
    {
        QTest::addColumn<QStringList>("trash");
        QTest::addColumn<int>("count");
        QTest::newRow("no Trash folder yet") << QStringList() << 0;
        QTest::newRow("a dangling link") << QStringList{u"gone->/nonexistent/x"_s} << 1;
        QTest::newRow("three items and a hidden one")
            << QStringList{u"a"_s, u"b/"_s, u"c->/tmp"_s, u".d"_s} << 3;
        QTest::newRow("names that are no UTF-8") << QStringList{u"caf%E9"_s, u"%FF->/tmp"_s} << 2;
    }
    void countsWhatTheUserThrewAwayAndFollowsChangesMadeElsewhere()
    {
        QFETCH(QStringList, trash);
        QFETCH(int, count);
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        if (!trash.isEmpty())
            layOut(root, trash);
        UserTrash userTrash(root);
        QCOMPARE(userTrash.itemCount(), count);
        QSignalSpy counted(&userTrash, &UserTrash::itemCountChanged);
        for (int i = 1; i <= 2; ++i) { // the first may make the Trash itself, as trashing does
            QVERIFY(FreedesktopTrash(root).moveToTrash(home.writeFile(QString::number(i))));
            QTRY_COMPARE(userTrash.itemCount(), count + i);
        }
        QCOMPARE(counted.size(), 2);
    }

    // Emptying removes the Trash's own entries, links as links, and never reaches a folder
    // elsewhere through a files/ that is no folder of the Trash's own; one that cannot be
    // listed looks empty and says so once.
    void emptyingRemovesOnlyTheTrashsOwnEntries_data()
    {
        QTest::addColumn<QString>("files"); // what files/ is
        QTest::addColumn<int>("count");     // -1: not checked
        QTest::addColumn<int>("removed");
        QTest::newRow("links, folders, hidden, orphaned and undecodable entries")
            << u"folder"_s << 6 << 7;
        QTest::newRow("a plain file") << u"file"_s << 0 << 0;
        QTest::newRow("a link to the user's projects") << u"link"_s << -1 << 0;
    }
    void emptyingRemovesOnlyTheTrashsOwnEntries()
    {
        QFETCH(QString, files);
        QFETCH(int, count);
        QFETCH(int, removed);
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        const QString outside = home.makeDir(u"Projects"_s);
        writeFile(outside + u"/keep.txt"_s, "mine");
        const QString outsideFile = home.writeFile(u"notes.txt"_s, "mine too");
        if (files == u"folder") {
            layOut(root, {u"a.txt"_s, u"folder/"_s, u"projects->"_s + outside,
                          u"notes->"_s + outsideFile, u".hidden"_s, u"orphan!"_s, u"%FF/"_s});
            writeFile(root + u"/directorysizes"_s, "4096 1700000000 folder\n");
        } else if (files == u"link") {
            QDir().mkpath(root);
            QVERIFY(FileOperations::createSymbolicLink(outside, root + u"/files"_s));
        } else {
            writeFile(root + u"/files"_s, "not a folder");
        }
        StdoutCapture output;
        UserTrash userTrash(root);
        userTrash.refresh();
        const QString said = output.finish();
        if (files == u"file")
            QCOMPARE(said,
                     u"Pondsill: tempat sampah tidak dapat dibaca: "_s + root + u"/files\n"_s);
        if (count >= 0)
            QCOMPARE(userTrash.itemCount(), count);
        QSignalSpy done(&userTrash, &UserTrash::emptied);
        userTrash.empty();
        QVERIFY(done.wait());
        QCOMPARE(done.first(), (QVariantList{removed, 0})); // removed, failed
        if (files == u"folder") {
            QCOMPARE(userTrash.itemCount(), 0);
            QVERIFY(FileOperations::listNames(root + u"/files"_s, true) ==
                    std::vector<QByteArray>());
            QVERIFY(FileOperations::listNames(root + u"/info"_s, true) ==
                    std::vector<QByteArray>());
            QVERIFY(!QFile::exists(root + u"/directorysizes"_s));
        }
        QCOMPARE(QByteArrayList({contentOf(outside + u"/keep.txt"_s), contentOf(outsideFile)}),
                 QByteArrayList({"mine", "mine too"}));
    }

    // Without a handler of trash:/// the files folder opens in the file manager; on a fresh
    // home the Trash is made first, private, as trashing would make it.
    void opensTheTrashWithWhatTheDesktopHas_data()
    {
        QTest::addColumn<bool>("trashHandler");
        QTest::addColumn<bool>("fresh");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("argument");
        QTest::newRow("the trash location's handler")
            << true << false << u"trash-viewer.desktop"_s << u"trash:///"_s;
        QTest::newRow("else the files folder in the file manager")
            << false << false << u"files.desktop"_s << u"files"_s;
        QTest::newRow("no Trash yet: made, then opened")
            << false << true << u"files.desktop"_s << u"files"_s;
    }
    void opensTheTrashWithWhatTheDesktopHas()
    {
        QFETCH(bool, trashHandler);
        QFETCH(bool, fresh);
        QFETCH(QString, started);
        QFETCH(QString, argument);
        TempHome home;
        const QString root = home.path() + u"/fresh/data/Trash"_s;
        if (!fresh)
            layOut(root, {u"a"_s});
        FakeAppRegistry apps;
        apps.setDefault(u"inode/directory"_s,
                        apps.addApp(u"files.desktop"_s, {u"inode/directory"_s}));
        if (trashHandler)
            apps.addApp(u"trash-viewer.desktop"_s, {u"x-scheme-handler/trash"_s});
        QVERIFY(apps.waitUntilSeen());
        QVERIFY(UserTrash(root).open());
        QVERIFY(apps.launchedOnly(started));
        QVERIFY2(apps.launches(started).first().endsWith(argument),
                 qPrintable(apps.launches(started).first()));
        if (fresh) {
            for (const char* sub : {"", "/files", "/info"}) {
                struct stat st {};
                QVERIFY(::lstat(QFile::encodeName(root + QLatin1String(sub)).constData(), &st) ==
                        0);
                QVERIFY(S_ISDIR(st.st_mode));
                QCOMPARE(st.st_mode & 07777, mode_t(0700));
            }
        }
    }

    // Folders thrown away without the owner's write, read or search right are opened up and
    // emptied with everything in them, as a user who cannot override modes (root can); a
    // link's locked folder outside the Trash keeps its mode and content.
    void emptyingOpensUpLockedFolders_data()
    {
        QTest::addColumn<QString>("item");  // a folder in files/, its files a/ and b/ inside
        QTest::addColumn<QString>("modes"); // of item, a/, b/ (octal), set inside out
        QTest::newRow("read-only") << u"readonly"_s << u"555 755 755"_s;
        QTest::newRow("unreadable") << u"unreadable"_s << u"300 755 755"_s;
        QTest::newRow("not searchable") << u"closed"_s << u"600 755 755"_s;
        QTest::newRow("locked inside an open one") << u"open"_s << u"755 000 500"_s;
        QTest::newRow("no rights at any level") << u"locked"_s << u"000 000 000"_s;
    }
    void emptyingOpensUpLockedFolders()
    {
        QFETCH(QString, item);
        QFETCH(QString, modes);
        TempHome home;
        const QString root = home.path() + u"/Trash"_s;
        const QString outside = home.makeDir(u"Projects/locked"_s);
        writeFile(outside + u"/keep.txt"_s, "mine");
        layOut(root, {item + u'/', u"projects->"_s + outside});
        const QString folder = root + u"/files/"_s + item;
        for (const QString& sub : {u"a"_s, u"b"_s})
            writeFile(folder + u'/' + sub + u"/inside.txt"_s);
        const QStringList octal = modes.split(u' ');
        const QStringList paths = {folder, folder + u"/a"_s, folder + u"/b"_s};
        for (qsizetype i = paths.size() - 1; i >= 0; --i)
            QCOMPARE(::chmod(QFile::encodeName(paths[i]).constData(),
                             mode_t(octal[i].toUInt(nullptr, 8))),
                     0);
        QVERIFY(::chmod(QFile::encodeName(outside).constData(), 0500) == 0);

        const PlainUserOutcome outcome = asPlainUser(home.root(), [&root] {
            const UserTrash::EmptyResult result = UserTrash::emptyFolder(root);
            return result.failed == 0 && result.removed == 2
                       ? 0
                       : plainUserFailure(
                             1, u"%1 removed, %2 failed"_s.arg(result.removed).arg(result.failed));
        });
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(outside).constData(), &st) == 0);
        ::chmod(QFile::encodeName(outside).constData(), 0700);
        for (const QString& path : paths) // what is left, for the temporary folder to remove
            ::chmod(QFile::encodeName(path).constData(), 0700);
        QVERIFY2(outcome.succeeded(), outcome.report());
        QCOMPARE(st.st_mode & 07777, mode_t(0500));
        QVERIFY(FileOperations::listNames(root + u"/files"_s, true) == std::vector<QByteArray>());
        QVERIFY(FileOperations::listNames(root + u"/info"_s, true) == std::vector<QByteArray>());
        QCOMPARE(contentOf(outside + u"/keep.txt"_s), QByteArray("mine"));
    }
};

PONDSILL_TEST(TrashTest)
#include "trash_test.moc"
