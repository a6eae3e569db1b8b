#include "platform/file_operations.h"
#include "platform/freedesktop_trash.h"
#include "platform/user_trash.h"
#include "support/fake_app_registry.h"
#include "support/stdout_capture.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
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
        QString name = word;
        if (word.contains(u"->"_s)) {
            name = word.section(u"->"_s, 0, 0);
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

class UserTrashTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void countsWhatTheUserThrewAway_data()
    {
        QTest::addColumn<QStringList>("trash");
        QTest::addColumn<int>("count");
        QTest::newRow("no Trash folder yet") << QStringList{u"-"_s} << 0;
        QTest::newRow("a dangling link") << QStringList{u"gone->/nonexistent/x"_s} << 1;
        QTest::newRow("three items and a hidden one")
            << QStringList{u"a"_s, u"b/"_s, u"c->/tmp"_s, u".d"_s} << 3;
        QTest::newRow("names that are no UTF-8") << QStringList{u"caf%E9"_s, u"%FF->/tmp"_s} << 2;
    }

    void countsWhatTheUserThrewAway()
    {
        QFETCH(QStringList, trash);
        QFETCH(int, count);
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        if (trash != QStringList{u"-"_s})
            layOut(root, trash);
        UserTrash userTrash(root);
        QCOMPARE(userTrash.itemCount(), count);
    }

    void followsChangesMadeElsewhere()
    {
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        UserTrash userTrash(root);
        QSignalSpy counted(&userTrash, &UserTrash::itemCountChanged);
        QCOMPARE(userTrash.itemCount(), 0);
        // The first item makes the Trash itself, as trashing does.
        FreedesktopTrash trash(root);
        QVERIFY(trash.moveToTrash(home.writeFile(u"a.txt"_s)));
        QTRY_COMPARE(userTrash.itemCount(), 1);
        QVERIFY(trash.moveToTrash(home.writeFile(u"b.txt"_s)));
        QTRY_COMPARE(userTrash.itemCount(), 2);
        QCOMPARE(counted.size(), 2);
    }

    void anUnreadableTrashLooksEmptyAndSaysSoOnce()
    {
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        writeFile(root + u"/files"_s, "not a folder");
        StdoutCapture output;
        UserTrash userTrash(root);
        userTrash.refresh();
        userTrash.refresh();
        QCOMPARE(output.finish(),
                 u"Pondsill: tempat sampah tidak dapat dibaca: "_s + root + u"/files\n"_s);
        QCOMPARE(userTrash.itemCount(), 0);
    }

    void emptyingRemovesLinksNotWhatTheyPointTo()
    {
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        const QString outside = home.makeDir(u"Projects"_s);
        writeFile(outside + u"/keep.txt"_s, "mine");
        const QString outsideFile = home.writeFile(u"notes.txt"_s, "mine too");
        layOut(root, {u"a.txt"_s, u"folder/"_s, u"projects->"_s + outside,
                      u"notes->"_s + outsideFile, u".hidden"_s, u"orphan!"_s, u"%FF/"_s});
        writeFile(root + u"/directorysizes"_s, "4096 1700000000 folder\n");

        UserTrash userTrash(root);
        QCOMPARE(userTrash.itemCount(), 6);
        QSignalSpy done(&userTrash, &UserTrash::emptied);
        userTrash.empty();
        QVERIFY(done.wait());
        QCOMPARE(done.first().at(0).toInt(), 7);
        QCOMPARE(done.first().at(1).toInt(), 0);
        QCOMPARE(userTrash.itemCount(), 0);

        QVERIFY(FileOperations::listNames(root + u"/files"_s, true) == std::vector<QByteArray>());
        QVERIFY(FileOperations::listNames(root + u"/info"_s, true) == std::vector<QByteArray>());
        QVERIFY(!QFile::exists(root + u"/directorysizes"_s));
        QCOMPARE(contentOf(outside + u"/keep.txt"_s), QByteArray("mine"));
        QCOMPARE(contentOf(outsideFile), QByteArray("mine too"));
    }

    void neverEmptiesAFolderReachedThroughALink()
    {
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        const QString elsewhere = home.makeDir(u"Documents"_s);
        writeFile(elsewhere + u"/thesis.odt"_s, "years");
        QDir().mkpath(root);
        QVERIFY(FileOperations::createSymbolicLink(elsewhere, root + u"/files"_s));
        const UserTrash::EmptyResult result = UserTrash::emptyFolder(root);
        QCOMPARE(result.removed, 0);
        QCOMPARE(contentOf(elsewhere + u"/thesis.odt"_s), QByteArray("years"));
    }

    void opensTheTrashWithWhatTheDesktopHas_data()
    {
        QTest::addColumn<bool>("trashHandler");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("argument");
        QTest::newRow("the trash location's handler")
            << true << u"trash-viewer.desktop"_s << u"trash:///"_s;
        QTest::newRow("else the files folder in the file manager")
            << false << u"files.desktop"_s << u"files"_s;
    }

    void opensTheTrashWithWhatTheDesktopHas()
    {
        QFETCH(bool, trashHandler);
        QFETCH(QString, started);
        QFETCH(QString, argument);
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        layOut(root, {u"a"_s});
        FakeAppRegistry apps;
        apps.setDefault(u"inode/directory"_s,
                        apps.addApp(u"files.desktop"_s, {u"inode/directory"_s}));
        if (trashHandler)
            apps.addApp(u"trash-viewer.desktop"_s, {u"x-scheme-handler/trash"_s});
        QVERIFY(apps.waitUntilSeen());

        UserTrash userTrash(root);
        QVERIFY(userTrash.open());
        QVERIFY(apps.launchedOnly(started));
        QVERIFY2(apps.launches(started).first().endsWith(argument),
                 qPrintable(apps.launches(started).first()));
    }
};

PONDSILL_TEST(UserTrashTest)
#include "user_trash_test.moc"
