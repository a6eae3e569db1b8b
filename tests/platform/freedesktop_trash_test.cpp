#include "platform/file_operations.h"
#include "platform/freedesktop_trash.h"
#include "support/scratch_mount.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

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
        QFile file(info.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
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

QStringList entries(const QString& folder)
{
    return FileOperations::listEntries(folder, true).value_or(QStringList());
}

} // namespace

class FreedesktopTrashTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void homeTrashIsMadeWhenMissing()
    {
        TempHome home;
        const QString dataHome = home.path() + u"/fresh/data"_s;
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        FreedesktopTrash trash;
        QVERIFY(trash.moveToTrash(home.writeFile(u"a.txt"_s, "a")));
        for (const char* sub : {"", "/files", "/info"}) {
            struct stat st {};
            const QString folder = dataHome + u"/Trash"_s + QLatin1String(sub);
            QVERIFY(::stat(QFile::encodeName(folder).constData(), &st) == 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0700));
        }
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(trash.homeTrashPath(), home.path() + u"/.local/share/Trash"_s);
    }

    void sameNamesNeverReplaceAnything()
    {
        TempHome home;
        const QString root = home.dataHome() + u"/Trash"_s;
        // An entry left in files/ without its info file survives as well.
        writeFile(root + u"/files/a.3.txt"_s, "orphan");
        FreedesktopTrash trash;
        for (const QString& folder : {u"One"_s, u"Two"_s, u"Three"_s})
            QVERIFY(trash.moveToTrash(home.writeFile(folder + u"/a.txt"_s, folder.toUtf8())));
        // A name that only just fits: the numbered entry and its info file must fit too.
        const QString longName = QString(120, QChar(0x00E9)) + u".txt"_s;
        // An extension so long that no numbered name of the usual shape would fit.
        const QString longExtension = u"b."_s + QString(250, u'x');
        for (const QString& name : {longName, longExtension}) {
            for (const QString& folder : {u"One"_s, u"Two"_s})
                QVERIFY(trash.moveToTrash(home.writeFile(folder + u'/' + name, "long")));
        }

        QCOMPARE(contentOf(root + u"/files/a.3.txt"_s), QByteArray("orphan"));
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 7);
        for (const InfoFile& entry : info) {
            const QString original = QFile::decodeName(entry.path);
            QVERIFY(entry.entry.toUtf8().size() + 10 <= 255);
            QVERIFY(!entry.entry.contains(QChar::ReplacementCharacter));
            QVERIFY(qAbs(entry.deleted.secsTo(QDateTime::currentDateTime())) < 60);
            const QByteArray content = contentOf(root + u"/files/"_s + entry.entry);
            QCOMPARE(content, original.endsWith(u"/a.txt")
                                  ? QFileInfo(original).dir().dirName().toUtf8()
                                  : QByteArray("long"));
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing item") << u"missing"_s;
        QTest::newRow("the Trash itself") << u"trash"_s;
        QTest::newRow("an item in the Trash") << u"inside"_s;
        QTest::newRow("a folder holding the Trash") << u"holder"_s;
        QTest::newRow("empty path") << QString();
    }
    void refusals()
    {
        QFETCH(QString, what);
        TempHome home;
        FreedesktopTrash trash;
        const QString root = home.dataHome() + u"/Trash"_s;
        QVERIFY(trash.moveToTrash(home.writeFile(u"x.txt"_s, "x")));
        const QString path = what == u"missing"  ? home.path() + u"/no"_s
                             : what == u"trash"  ? root
                             : what == u"inside" ? root + u"/files/x.txt"_s
                             : what == u"holder" ? home.dataHome()
                                                 : QString();
        QString error;
        QVERIFY(!trash.moveToTrash(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(entries(root + u"/files"_s), QStringList{u"x.txt"_s});
        QCOMPARE(entries(root + u"/info"_s), QStringList{u"x.txt.trashinfo"_s});
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
        // Never copied into the home trash, whatever happened.
        QVERIFY(entries(home.dataHome() + u"/Trash/files"_s).isEmpty());
        // The mount point itself never goes to the Trash.
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
};

PONDSILL_TEST(FreedesktopTrashTest)
#include "freedesktop_trash_test.moc"
