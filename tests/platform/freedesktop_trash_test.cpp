#include "platform/freedesktop_trash.h"
#include "support/scratch_mount.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
struct InfoFile {
    QString entry; // name in files/
    QByteArray path;
    QString deletionDate;
};

// Reads every info file of a trash folder the way a file manager does.
QList<InfoFile> readInfo(const QString& trashRoot)
{
    QList<InfoFile> result;
    const QDir info(trashRoot + QStringLiteral("/info"));
    for (const QString& name :
         info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        InfoFile entry;
        entry.entry = name.chopped(10);
        if (lines.value(0) != "[Trash Info]")
            continue;
        for (const QByteArray& line : lines) {
            if (line.startsWith("Path="))
                entry.path = QByteArray::fromPercentEncoding(line.mid(5));
            else if (line.startsWith("DeletionDate="))
                entry.deletionDate = QString::fromLatin1(line.mid(13));
        }
        result.append(entry);
    }
    return result;
}

bool lexists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
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
        const QString item = home.writeFile(QStringLiteral("Desktop/a.txt"), "a");
        FreedesktopTrash trash;
        QCOMPARE(trash.homeTrashPath(), dataHome + QStringLiteral("/Trash"));
        QVERIFY(trash.moveToTrash(item));
        for (const QString& sub : {QString(), QStringLiteral("/files"), QStringLiteral("/info")}) {
            const QFileInfo folder(dataHome + QStringLiteral("/Trash") + sub);
            QVERIFY(folder.isDir());
            QCOMPARE(int(folder.permissions() & 0x7777),
                     int(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                         QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser));
        }
        // Without XDG_DATA_HOME the home trash is in ~/.local/share.
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(trash.homeTrashPath(), home.path() + QStringLiteral("/.local/share/Trash"));
    }

    void everyKindOfItem_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << QStringLiteral("file");
        QTest::newRow("folder with content") << QStringLiteral("folder");
        QTest::newRow("link to a file") << QStringLiteral("link");
        QTest::newRow("dangling link") << QStringLiteral("dangling");
        QTest::newRow("link to a folder") << QStringLiteral("folder link");
    }
    void everyKindOfItem()
    {
        QFETCH(QString, kind);
        TempHome home;
        const QString target = home.writeFile(QStringLiteral("Documents/target.txt"), "keep me");
        home.writeFile(QStringLiteral("Documents/dir/inner.txt"), "inner");
        const QString item = home.path() + QStringLiteral("/Desktop/item");
        QDir().mkpath(home.path() + QStringLiteral("/Desktop"));
        QByteArray linkText;
        if (kind == QLatin1String("file")) {
            home.writeFile(QStringLiteral("Desktop/item"), "content");
        } else if (kind == QLatin1String("folder")) {
            home.writeFile(QStringLiteral("Desktop/item/sub/deep.txt"), "deep");
        } else {
            linkText = kind == QLatin1String("link")       ? QFile::encodeName(target)
                       : kind == QLatin1String("dangling") ? QByteArray("../nowhere/gone.txt")
                                                           : QByteArray("../Documents/dir");
            QVERIFY(::symlink(linkText.constData(), QFile::encodeName(item).constData()) == 0);
        }

        FreedesktopTrash trash;
        QString error;
        QVERIFY2(trash.moveToTrash(item, &error), qPrintable(error));
        QVERIFY(!lexists(item));

        const QString root = home.dataHome() + QStringLiteral("/Trash");
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 1);
        QCOMPARE(info[0].entry, QStringLiteral("item"));
        QCOMPARE(info[0].path, QFile::encodeName(item));
        const QDateTime deleted =
            QDateTime::fromString(info[0].deletionDate, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
        QVERIFY(deleted.isValid());
        QVERIFY(qAbs(deleted.secsTo(QDateTime::currentDateTime())) < 60);

        const QString trashed = root + QStringLiteral("/files/item");
        const QFileInfo trashedInfo(trashed);
        if (!linkText.isEmpty()) {
            // The link itself went, with the text it had; what it pointed at stayed.
            QVERIFY(trashedInfo.isSymLink());
            char buffer[4096];
            const ssize_t n =
                ::readlink(QFile::encodeName(trashed).constData(), buffer, sizeof buffer);
            QCOMPARE(QByteArray(buffer, int(n)), linkText);
            QVERIFY(QFileInfo::exists(target));
            QVERIFY(QFileInfo::exists(home.path() + QStringLiteral("/Documents/dir/inner.txt")));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QFileInfo(trashed + QStringLiteral("/sub/deep.txt")).isFile());
        } else {
            QFile file(trashed);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("content"));
        }
    }

    void sameNameNeverReplacesAnything()
    {
        TempHome home;
        const QString root = home.dataHome() + QStringLiteral("/Trash");
        // An entry left in files/ without its info file must survive as well.
        QDir().mkpath(root + QStringLiteral("/files"));
        QDir().mkpath(root + QStringLiteral("/info"));
        home.writeFile(QStringLiteral("../data/Trash/files/a.3.txt"), "orphan");

        FreedesktopTrash trash;
        QStringList originals;
        for (const QString& folder :
             {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}) {
            const QString item = home.writeFile(folder + QStringLiteral("/a.txt"), folder.toUtf8());
            originals.append(item);
            QVERIFY(trash.moveToTrash(item));
        }
        const QStringList files = entries(root + QStringLiteral("/files"));
        QCOMPARE(files, (QStringList{QStringLiteral("a.2.txt"), QStringLiteral("a.3.txt"),
                                     QStringLiteral("a.4.txt"), QStringLiteral("a.txt")}));
        QFile orphan(root + QStringLiteral("/files/a.3.txt"));
        QVERIFY(orphan.open(QIODevice::ReadOnly));
        QCOMPARE(orphan.readAll(), QByteArray("orphan"));
        // Each info file names its own item, and its content matches.
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 3);
        for (const InfoFile& entry : info) {
            QFile file(root + QStringLiteral("/files/") + entry.entry);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString folder = QFileInfo(QFile::decodeName(entry.path)).dir().dirName();
            QCOMPARE(file.readAll(), folder.toUtf8());
            QVERIFY(originals.contains(QFile::decodeName(entry.path)));
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing item") << QStringLiteral("missing");
        QTest::newRow("the Trash itself") << QStringLiteral("trash");
        QTest::newRow("an item already in the Trash") << QStringLiteral("inside");
        QTest::newRow("a folder holding the Trash") << QStringLiteral("holder");
        QTest::newRow("empty path") << QStringLiteral("empty");
    }
    void refusals()
    {
        QFETCH(QString, what);
        TempHome home;
        FreedesktopTrash trash;
        const QString root = home.dataHome() + QStringLiteral("/Trash");
        QVERIFY(trash.moveToTrash(home.writeFile(QStringLiteral("x.txt"), "x")));
        QString path;
        if (what == QLatin1String("missing"))
            path = home.path() + QStringLiteral("/nothing.txt");
        else if (what == QLatin1String("trash"))
            path = root;
        else if (what == QLatin1String("inside"))
            path = root + QStringLiteral("/files/x.txt");
        else if (what == QLatin1String("holder"))
            path = home.dataHome();
        const QStringList before = entries(root + QStringLiteral("/files"));
        QString error;
        QVERIFY(!trash.moveToTrash(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(entries(root + QStringLiteral("/files")), before);
        QCOMPARE(entries(root + QStringLiteral("/info")),
                 QStringList{QStringLiteral("x.txt.trashinfo")});
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/files/x.txt")));
    }

    void longAndUnusualNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("spaces and percent") << QStringLiteral("50% of \"my\" notes.txt");
        QTest::newRow("non-Latin and emoji") << QStringLiteral("Café 日本 📷.jpg");
        QTest::newRow("hidden") << QStringLiteral(".profile");
        QTest::newRow("longest name") << QString(251, QLatin1Char('n')) + QStringLiteral(".txt");
        QTest::newRow("longest multibyte name") << QString(127, QChar(0x00E9));
    }
    void longAndUnusualNames()
    {
        QFETCH(QString, name);
        TempHome home;
        FreedesktopTrash trash;
        const QString item = home.writeFile(QStringLiteral("Desktop/") + name, "data");
        QVERIFY(QFileInfo::exists(item));
        QString error;
        QVERIFY2(trash.moveToTrash(item, &error), qPrintable(error));
        // A second item of the same name needs a longer entry name: it must still fit.
        const QString again = home.writeFile(QStringLiteral("Desktop/") + name, "again");
        QVERIFY2(trash.moveToTrash(again, &error), qPrintable(error));
        const QList<InfoFile> info = readInfo(home.dataHome() + QStringLiteral("/Trash"));
        QCOMPARE(info.size(), 2);
        for (const InfoFile& entry : info) {
            QCOMPARE(QFile::decodeName(entry.path), item);
            QVERIFY(entry.entry.toUtf8().size() + 10 <= 255);
            QVERIFY(
                QFileInfo::exists(home.dataHome() + QStringLiteral("/Trash/files/") + entry.entry));
            // Cut at a character boundary: the entry decodes back to valid text.
            QVERIFY(!entry.entry.contains(QChar::ReplacementCharacter));
        }
    }

    void trashListReadsWhatWasTrashed()
    {
        const QString trashList = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
        if (trashList.isEmpty())
            QSKIP("trash-list (trash-cli) is not installed; scripts/install-deps installs it");
        TempHome home;
        FreedesktopTrash trash;
        QStringList originals;
        const QString file = home.writeFile(QStringLiteral("Desktop/report 2024.pdf"), "pdf");
        const QString folder = home.makeDir(QStringLiteral("Documents/Café folder"));
        home.writeFile(QStringLiteral("Documents/Café folder/in.txt"), "in");
        const QString link = home.path() + QStringLiteral("/Desktop/dangling link");
        QVERIFY(::symlink("/nonexistent/target", QFile::encodeName(link).constData()) == 0);
        for (const QString& item : {file, folder, link}) {
            QVERIFY(trash.moveToTrash(item));
            originals.append(item);
        }

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.dataHome());
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(env);
        process.start(trashList, {});
        QVERIFY(process.waitForFinished(30000));
        const QString listed = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString& original : originals)
            QVERIFY2(listed.contains(QLatin1Char(' ') + original + QLatin1Char('\n')),
                     qPrintable(listed));
    }

    void otherFileSystemUsesItsOwnTrash_data()
    {
        QTest::addColumn<bool>("sharedTrash");
        QTest::newRow(".Trash-$uid") << false;
        QTest::newRow("administrator's .Trash/$uid") << true;
    }
    void otherFileSystemUsesItsOwnTrash()
    {
        QFETCH(bool, sharedTrash);
        ScratchMount mount;
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mount.error()));
        TempHome home;
        const QString top = mount.path();
        if (sharedTrash) {
            QVERIFY(QDir().mkpath(top + QStringLiteral("/.Trash")));
            QVERIFY(::chmod(QFile::encodeName(top + QStringLiteral("/.Trash")).constData(),
                            01777) == 0);
        }
        QVERIFY(QDir().mkpath(top + QStringLiteral("/photos/2024")));
        const QString item = top + QStringLiteral("/photos/2024/beach.jpg");
        QFile file(item);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("jpeg");
        file.close();

        FreedesktopTrash trash;
        QString error;
        QVERIFY2(trash.moveToTrash(item, &error), qPrintable(error));
        QVERIFY(!lexists(item));
        const QString uid = QString::number(::getuid());
        const QString root = sharedTrash ? top + QStringLiteral("/.Trash/") + uid
                                         : top + QStringLiteral("/.Trash-") + uid;
        QVERIFY(QFileInfo(root + QStringLiteral("/files/beach.jpg")).isFile());
        const QList<InfoFile> info = readInfo(root);
        QCOMPARE(info.size(), 1);
        // Relative to the mount's top, so the entry still restores when mounted elsewhere.
        QCOMPARE(info[0].path, QByteArray("photos/2024/beach.jpg"));
        // Nothing was copied into the home trash.
        QVERIFY(entries(home.dataHome() + QStringLiteral("/Trash/files")).isEmpty());
    }

    void noTrashOnTheOtherFileSystemIsAFailure()
    {
        ScratchMount mount;
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mount.error()));
        TempHome home;
        const QString top = mount.path();
        // A plain file where the user's trash folder would go: no trash can be made there.
        QFile blocker(top + QStringLiteral("/.Trash-") + QString::number(::getuid()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString item = top + QStringLiteral("/keep.txt");
        QFile file(item);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
        file.close();

        FreedesktopTrash trash;
        QVERIFY(!trash.moveToTrash(item));
        QVERIFY(QFileInfo(item).isFile());
        QVERIFY(entries(home.dataHome() + QStringLiteral("/Trash/files")).isEmpty());
        QVERIFY(entries(home.dataHome() + QStringLiteral("/Trash/info")).isEmpty());
        // The mount point itself never goes to the Trash.
        QVERIFY(!trash.moveToTrash(top));
    }
};

PONDSILL_TEST(FreedesktopTrashTest)
#include "freedesktop_trash_test.moc"
