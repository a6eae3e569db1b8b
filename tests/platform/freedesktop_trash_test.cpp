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
    const QDir info(trashRoot + QStringLiteral("/info"));
    for (const QString& name : info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files)) {
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
                                                      QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
        }
        result.append(entry);
    }
    return result;
}

QStringList entries(const QString& folder)
{
    return FileOperations::listEntries(folder, true).value_or(QStringList());
}

QString makeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class FreedesktopTrashTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void homeTrashIsMadeWhenMissing()
    {
        TempHome home;
        const QString dataHome = home.path() + QStringLiteral("/fresh/data");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        FreedesktopTrash trash;
        QVERIFY(trash.moveToTrash(home.writeFile(QStringLiteral("a.txt"), "a")));
        for (const char* sub : {"", "/files", "/info"}) {
            struct stat st {};
            const QString folder = dataHome + QStringLiteral("/Trash") + QLatin1String(sub);
            QVERIFY(::stat(QFile::encodeName(folder).constData(), &st) == 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0700));
        }
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(trash.homeTrashPath(), home.path() + QStringLiteral("/.local/share/Trash"));
    }

    void everyKindOfItem_data()
    {
        QTest::addColumn<QString>("link"); // empty: a real file or folder
        QTest::addColumn<bool>("folder");
        QTest::newRow("file") << QString() << false;
        QTest::newRow("folder with content") << QString() << true;
        QTest::newRow("link to a file") << QStringLiteral("../Documents/target.txt") << false;
        QTest::newRow("link to a folder") << QStringLiteral("../Documents") << false;
        QTest::newRow("dangling link") << QStringLiteral("/nowhere/gone.txt") << false;
    }
    void everyKindOfItem()
    {
        QFETCH(QString, link);
        QFETCH(bool, folder);
        TempHome home;
        const QString target = home.writeFile(QStringLiteral("Documents/target.txt"), "keep");
        const QString item = home.makeDir(QStringLiteral("Desktop")) + QStringLiteral("/item");
        if (!link.isEmpty())
            QVERIFY(FileOperations::createSymbolicLink(link, item));
        else
            makeFile(folder ? item + QStringLiteral("/sub/deep.txt") : item, "content");

        FreedesktopTrash trash;
        QString error;
        QVERIFY2(trash.moveToTrash(item, &error), qPrintable(error));
        QVERIFY(!FileOperations::entryExists(item));
        const QString root = home.dataHome() + QStringLiteral("/Trash");
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 1);
        QCOMPARE(info[0].entry, QStringLiteral("item"));
        QCOMPARE(info[0].path, QFile::encodeName(item));
        QVERIFY(qAbs(info[0].deleted.secsTo(QDateTime::currentDateTime())) < 60);

        const QString trashed = root + QStringLiteral("/files/item");
        if (!link.isEmpty()) {
            // The link itself went, as it was; what it points at stayed.
            QCOMPARE(FileOperations::readLink(trashed), std::optional<QString>(link));
            QCOMPARE(contentOf(target), QByteArray("keep"));
        } else {
            QCOMPARE(contentOf(folder ? trashed + QStringLiteral("/sub/deep.txt") : trashed),
                     QByteArray("content"));
        }
    }

    void sameNamesNeverReplaceAnything()
    {
        TempHome home;
        const QString root = home.dataHome() + QStringLiteral("/Trash");
        // An entry left in files/ without its info file survives as well.
        makeFile(root + QStringLiteral("/files/a.3.txt"), "orphan");
        FreedesktopTrash trash;
        for (const QString& folder :
             {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")})
            QVERIFY(trash.moveToTrash(
                home.writeFile(folder + QStringLiteral("/a.txt"), folder.toUtf8())));
        // A name that only just fits: the numbered entry and its info file must fit too.
        const QString longName = QString(120, QChar(0x00E9)) + QStringLiteral(".txt");
        for (const QString& folder : {QStringLiteral("One"), QStringLiteral("Two")})
            QVERIFY(trash.moveToTrash(home.writeFile(folder + u'/' + longName, "long")));

        QCOMPARE(contentOf(root + QStringLiteral("/files/a.3.txt")), QByteArray("orphan"));
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 5);
        for (const InfoFile& entry : info) {
            const QString original = QFile::decodeName(entry.path);
            QVERIFY(entry.entry.toUtf8().size() + 10 <= 255);
            QVERIFY(!entry.entry.contains(QChar::ReplacementCharacter));
            const QByteArray content = contentOf(root + QStringLiteral("/files/") + entry.entry);
            QCOMPARE(content, original.endsWith(QLatin1String("/a.txt"))
                                  ? QFileInfo(original).dir().dirName().toUtf8()
                                  : QByteArray("long"));
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing item") << QStringLiteral("missing");
        QTest::newRow("the Trash itself") << QStringLiteral("trash");
        QTest::newRow("an item in the Trash") << QStringLiteral("inside");
        QTest::newRow("a folder holding the Trash") << QStringLiteral("holder");
        QTest::newRow("empty path") << QString();
    }
    void refusals()
    {
        QFETCH(QString, what);
        TempHome home;
        FreedesktopTrash trash;
        const QString root = home.dataHome() + QStringLiteral("/Trash");
        QVERIFY(trash.moveToTrash(home.writeFile(QStringLiteral("x.txt"), "x")));
        const QString path = what == QLatin1String("missing") ? home.path() + QStringLiteral("/no")
                             : what == QLatin1String("trash") ? root
                             : what == QLatin1String("inside")
                                 ? root + QStringLiteral("/files/x.txt")
                             : what == QLatin1String("holder") ? home.dataHome()
                                                               : QString();
        QString error;
        QVERIFY(!trash.moveToTrash(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(entries(root + QStringLiteral("/files")), QStringList{QStringLiteral("x.txt")});
        QCOMPARE(entries(root + QStringLiteral("/info")),
                 QStringList{QStringLiteral("x.txt.trashinfo")});
    }

    void otherFileSystemsUseTheirOwnTrash_data()
    {
        QTest::addColumn<QString>("prepared"); // what the mount's top holds beforehand
        QTest::addColumn<QString>("trashRoot");
        const QString uid = QString::number(::getuid());
        QTest::newRow("the user's .Trash-$uid") << QString() << QStringLiteral(".Trash-") + uid;
        QTest::newRow("the administrator's .Trash/$uid")
            << QStringLiteral("sticky") << QStringLiteral(".Trash/") + uid;
        QTest::newRow("no trash can be made there") << QStringLiteral("blocked") << QString();
    }
    void otherFileSystemsUseTheirOwnTrash()
    {
        QFETCH(QString, prepared);
        QFETCH(QString, trashRoot);
        ScratchMount mount;
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mount.error()));
        TempHome home;
        const QString top = mount.path();
        if (prepared == QLatin1String("sticky")) {
            QVERIFY(QDir().mkpath(top + QStringLiteral("/.Trash")));
            QVERIFY(::chmod(QFile::encodeName(top + QStringLiteral("/.Trash")).constData(),
                            01777) == 0);
        } else if (prepared == QLatin1String("blocked")) {
            makeFile(top + QStringLiteral("/.Trash-") + QString::number(::getuid()), "a file");
        }
        const QString item = makeFile(top + QStringLiteral("/photos/2024/beach.jpg"), "jpeg");

        FreedesktopTrash trash;
        QCOMPARE(trash.moveToTrash(item), !trashRoot.isEmpty());
        // Never copied into the home trash, whatever happened.
        QVERIFY(entries(home.dataHome() + QStringLiteral("/Trash/files")).isEmpty());
        // The mount point itself never goes to the Trash.
        QVERIFY(!trash.moveToTrash(top));
        if (trashRoot.isEmpty()) {
            QCOMPARE(contentOf(item), QByteArray("jpeg"));
            return;
        }
        const QString root = top + QLatin1Char('/') + trashRoot;
        QCOMPARE(contentOf(root + QStringLiteral("/files/beach.jpg")), QByteArray("jpeg"));
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 1);
        // Relative to the mount's top, so the entry restores wherever it is mounted.
        QCOMPARE(info[0].path, QByteArray("photos/2024/beach.jpg"));
    }
};

PONDSILL_TEST(FreedesktopTrashTest)
#include "freedesktop_trash_test.moc"
