#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "support/scratch_mount.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace {
QString write(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Names on disk are bytes; these reach the ones that are no UTF-8.
bool writeRaw(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

QByteArray readRaw(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return {};
    char buffer[256];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return got > 0 ? QByteArray(buffer, qsizetype(got)) : QByteArray();
}

// Runs `work` as a user without root's right to ignore permissions ("nobody" when the
// tests run as root) and returns its exit code; `folder` is handed over to that user.
int asPlainUser(const QString& folder, const std::function<int()>& work)
{
    if (::getuid() != 0)
        return work();
    constexpr uid_t nobody = 65534;
    if (::chown(QFile::encodeName(folder).constData(), nobody, nobody) != 0)
        return 100;
    const pid_t child = ::fork();
    if (child < 0)
        return 101;
    if (child == 0) {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(102);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 103;
    return WEXITSTATUS(status);
}
} // namespace

class FileOperationsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString at(const QString& relative) const { return m_dir->path() + u'/' + relative; }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void renameNeverReplaces()
    {
        write(at(QStringLiteral("a")), "a");
        write(at(QStringLiteral("b")), "b");
        const auto refused =
            FileOperations::renameNoReplace(at(QStringLiteral("a")), at(QStringLiteral("b")));
        QCOMPARE(refused.error, EEXIST);
        QCOMPARE(readAll(at(QStringLiteral("a"))), QByteArray("a"));
        QCOMPARE(readAll(at(QStringLiteral("b"))), QByteArray("b"));
        // A dangling link is an entry too.
        FileOperations::createSymbolicLink(QStringLiteral("/nowhere"), at(QStringLiteral("l")));
        QVERIFY(!FileOperations::renameNoReplace(at(QStringLiteral("a")), at(QStringLiteral("l"))));
        QVERIFY(FileOperations::renameNoReplace(at(QStringLiteral("a")), at(QStringLiteral("c"))));
        QCOMPARE(readAll(at(QStringLiteral("c"))), QByteArray("a"));
        QVERIFY(!FileOperations::entryExists(at(QStringLiteral("a"))));
    }

    void replacingOnlyALink()
    {
        write(at(QStringLiteral("file")), "f");
        write(at(QStringLiteral("real")), "r");
        FileOperations::createSymbolicLink(at(QStringLiteral("real")), at(QStringLiteral("link")));
        QCOMPARE(FileOperations::renameReplacingLink(at(QStringLiteral("file")),
                                                     at(QStringLiteral("real")))
                     .error,
                 EEXIST);
        QVERIFY(FileOperations::renameReplacingLink(at(QStringLiteral("file")),
                                                    at(QStringLiteral("link"))));
        QVERIFY(!FileOperations::isSymbolicLink(at(QStringLiteral("link"))));
        QCOMPARE(readAll(at(QStringLiteral("link"))), QByteArray("f"));
        QCOMPARE(readAll(at(QStringLiteral("real"))), QByteArray("r"));
        // A folder can take a link's place too.
        QDir().mkpath(at(QStringLiteral("folder/inner")));
        FileOperations::createSymbolicLink(at(QStringLiteral("real")), at(QStringLiteral("l2")));
        QVERIFY(FileOperations::renameReplacingLink(at(QStringLiteral("folder")),
                                                    at(QStringLiteral("l2"))));
        QVERIFY(FileOperations::isDirectory(at(QStringLiteral("l2/inner"))));
    }

    void copyKeepsLinksAttributesAndModes()
    {
        const QString src = at(QStringLiteral("src"));
        write(src + QStringLiteral("/doc.txt"), "content");
        write(src + QStringLiteral("/sub/.hidden"), "h");
        write(at(QStringLiteral("outside.txt")), "outside");
        FileOperations::createSymbolicLink(at(QStringLiteral("outside.txt")),
                                           src + QStringLiteral("/abs link"));
        FileOperations::createSymbolicLink(QStringLiteral("doc.txt"), src + QStringLiteral("/rel"));
        FileOperations::createSymbolicLink(QStringLiteral("/nowhere"),
                                           src + QStringLiteral("/dangling"));
        QVERIFY(ExtendedAttributes::write(src + QStringLiteral("/doc.txt"),
                                          ExtendedAttributes::originName, "/home/x/doc.txt"));
        QVERIFY(ExtendedAttributes::write(src, ExtendedAttributes::addedName, "12.5"));
        ::chmod(qPrintable(src + QStringLiteral("/doc.txt")), 0640);
        struct timespec times[2] = {{1000000, 0}, {1500000000, 0}};
        ::utimensat(AT_FDCWD, qPrintable(src + QStringLiteral("/doc.txt")), times, 0);

        const QString dst = at(QStringLiteral("dst"));
        QVERIFY(FileOperations::copyItem(src, dst));
        QCOMPARE(readAll(dst + QStringLiteral("/doc.txt")), QByteArray("content"));
        QCOMPARE(readAll(dst + QStringLiteral("/sub/.hidden")), QByteArray("h"));
        QCOMPARE(FileOperations::readLink(dst + QStringLiteral("/abs link")),
                 std::optional(at(QStringLiteral("outside.txt"))));
        QCOMPARE(FileOperations::readLink(dst + QStringLiteral("/rel")),
                 std::optional(QStringLiteral("doc.txt")));
        QCOMPARE(FileOperations::readLink(dst + QStringLiteral("/dangling")),
                 std::optional(QStringLiteral("/nowhere")));
        QCOMPARE(ExtendedAttributes::read(dst + QStringLiteral("/doc.txt"),
                                          ExtendedAttributes::originName),
                 std::optional<QByteArray>("/home/x/doc.txt"));
        QCOMPARE(ExtendedAttributes::read(dst, ExtendedAttributes::addedName),
                 std::optional<QByteArray>("12.5"));
        struct stat st {};
        QCOMPARE(::stat(qPrintable(dst + QStringLiteral("/doc.txt")), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0640);
        QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(1500000000));
        // The source is untouched.
        QCOMPARE(readAll(src + QStringLiteral("/doc.txt")), QByteArray("content"));
        QCOMPARE(readAll(at(QStringLiteral("outside.txt"))), QByteArray("outside"));
    }

    void copyRefusals()
    {
        const QString src = at(QStringLiteral("src"));
        write(src + QStringLiteral("/a"), "a");
        write(at(QStringLiteral("taken")), "taken");
        QCOMPARE(FileOperations::copyItem(src, at(QStringLiteral("taken"))).error, EEXIST);
        QCOMPARE(readAll(at(QStringLiteral("taken"))), QByteArray("taken"));
        QCOMPARE(FileOperations::copyItem(src, src + QStringLiteral("/inside")).error, EINVAL);
        QVERIFY(!FileOperations::entryExists(src + QStringLiteral("/inside")));
        QCOMPARE(
            FileOperations::copyItem(at(QStringLiteral("none")), at(QStringLiteral("x"))).error,
            ENOENT);
    }

    void failedCopyLeavesNothing()
    {
        const QString src = at(QStringLiteral("src"));
        write(src + QStringLiteral("/a"), "a");
        QCOMPARE(::mkfifo(qPrintable(src + QStringLiteral("/pipe")), 0600), 0);
        const auto copied = FileOperations::copyItem(src, at(QStringLiteral("dst")));
        QVERIFY(!copied);
        QVERIFY(!copied.message().isEmpty());
        QVERIFY(!FileOperations::entryExists(at(QStringLiteral("dst"))));
        QCOMPARE(readAll(src + QStringLiteral("/a")), QByteArray("a"));
    }

    void copyKeepsNamesThatAreNotUtf8()
    {
        const QString src = at(QStringLiteral("src"));
        write(src + QStringLiteral("/plain.txt"), "plain");
        const QByteArray raw = QFile::encodeName(src);
        QVERIFY(writeRaw(raw + "/caf\xe9.txt", "latin-1 name"));
        QCOMPARE(::mkdir(raw + "/\xff folder", 0755), 0);
        QVERIFY(writeRaw(raw + "/\xff folder/inner\xfe", "inner"));

        const QString dst = at(QStringLiteral("dst"));
        QVERIFY(FileOperations::copyItem(src, dst));
        const QByteArray copy = QFile::encodeName(dst);
        QCOMPARE(readRaw(copy + "/caf\xe9.txt"), QByteArray("latin-1 name"));
        QCOMPARE(readRaw(copy + "/\xff folder/inner\xfe"), QByteArray("inner"));
        QCOMPARE(readAll(dst + QStringLiteral("/plain.txt")), QByteArray("plain"));
        QCOMPARE(readRaw(raw + "/caf\xe9.txt"), QByteArray("latin-1 name"));
        // And they go again (the temporary folder's own clean-up cannot reach them).
        QVERIFY(FileOperations::removeItem(dst));
        QVERIFY(FileOperations::removeItem(src));
        QVERIFY(!FileOperations::entryExists(src));
    }

    void copyOntoFileSystemWithoutUserAttributes()
    {
        ScratchMount mount("ramfs");
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a ramfs here: ") + mount.error()));
        // A stored item always carries its origin; a memory stick cannot keep it.
        const QString src = at(QStringLiteral("Holiday"));
        write(src + QStringLiteral("/beach.jpg"), "beach");
        QVERIFY(ExtendedAttributes::write(src, ExtendedAttributes::originName, "/media/Holiday"));
        QVERIFY(ExtendedAttributes::write(src + QStringLiteral("/beach.jpg"),
                                          ExtendedAttributes::addedName, "12.5"));

        const QString dst = mount.path() + QStringLiteral("/Holiday");
        QVERIFY(FileOperations::copyItem(src, dst));
        QCOMPARE(readAll(dst + QStringLiteral("/beach.jpg")), QByteArray("beach"));
    }

    void failedCopyOfReadOnlyFoldersLeavesNothing()
    {
        // Read-only folders copied before a later entry fails must not pin the half copy.
        const QString shared = at(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(shared));
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
        const int outcome = asPlainUser(shared, [&shared]() -> int {
            const QString src = shared + QStringLiteral("/src");
            if (!QDir().mkpath(src) ||
                !writeRaw(QFile::encodeName(src + QStringLiteral("/bad")), {}))
                return 10;
            ::chmod(QFile::encodeName(src + QStringLiteral("/bad")).constData(), 0); // unreadable
            // Enough read-only folders that one comes before the unreadable file.
            for (int n = 0;; ++n) {
                if (n == 64)
                    return 11;
                const QString folder = src + QStringLiteral("/ro") + QString::number(n);
                write(folder + QStringLiteral("/f"), "f");
                ::chmod(QFile::encodeName(folder).constData(), 0555);
                const QStringList order =
                    FileOperations::listEntries(src, true).value_or(QStringList());
                if (order.indexOf(QStringLiteral("bad")) > 0)
                    break;
            }
            const QString dst = shared + QStringLiteral("/dst");
            if (FileOperations::copyItem(src, dst))
                return 12;
            return FileOperations::entryExists(dst) ? 13 : 0;
        });
        QCOMPARE(outcome, 0);
    }

    void removalNeverFollowsLinks()
    {
        const QString keep = at(QStringLiteral("keep"));
        write(keep + QStringLiteral("/precious.txt"), "p");
        const QString doomed = at(QStringLiteral("doomed"));
        write(doomed + QStringLiteral("/a/b.txt"));
        FileOperations::createSymbolicLink(keep, doomed + QStringLiteral("/a/link to keep"));
        FileOperations::createSymbolicLink(keep + QStringLiteral("/precious.txt"),
                                           doomed + QStringLiteral("/file link"));
        QVERIFY(FileOperations::removeItem(doomed));
        QVERIFY(!FileOperations::entryExists(doomed));
        QCOMPARE(readAll(keep + QStringLiteral("/precious.txt")), QByteArray("p"));

        // A link to a folder goes by itself; so does a dangling one.
        FileOperations::createSymbolicLink(keep, at(QStringLiteral("dirlink")));
        FileOperations::createSymbolicLink(QStringLiteral("/nowhere"),
                                           at(QStringLiteral("dangling")));
        QVERIFY(FileOperations::removeItem(at(QStringLiteral("dirlink"))));
        QVERIFY(FileOperations::removeItem(at(QStringLiteral("dangling"))));
        QCOMPARE(readAll(keep + QStringLiteral("/precious.txt")), QByteArray("p"));
        QCOMPARE(FileOperations::removeItem(at(QStringLiteral("none"))).error, ENOENT);
    }

    void links()
    {
        write(at(QStringLiteral("dir/file")));
        FileOperations::createSymbolicLink(QStringLiteral("../dir/file"),
                                           at(QStringLiteral("other/rel")));
        QDir().mkpath(at(QStringLiteral("other")));
        FileOperations::createSymbolicLink(QStringLiteral("../dir/file"),
                                           at(QStringLiteral("other/rel")));
        FileOperations::createSymbolicLink(QStringLiteral("/gone"), at(QStringLiteral("dangling")));
        QCOMPARE(FileOperations::readLink(at(QStringLiteral("other/rel"))),
                 std::optional(QStringLiteral("../dir/file")));
        QCOMPARE(FileOperations::resolvedLinkTarget(at(QStringLiteral("other/rel"))),
                 std::optional(at(QStringLiteral("dir/file"))));
        QVERIFY(!FileOperations::readLink(at(QStringLiteral("dir/file"))));
        QVERIFY(FileOperations::isSymbolicLink(at(QStringLiteral("dangling"))));
        QVERIFY(!FileOperations::exists(at(QStringLiteral("dangling"))));
        QVERIFY(FileOperations::entryExists(at(QStringLiteral("dangling"))));
        QVERIFY(FileOperations::isSameFile(at(QStringLiteral("other/rel")),
                                           at(QStringLiteral("dir/file"))));
        const auto names = FileOperations::listEntries(m_dir->path(), false);
        QVERIFY(names && names->contains(QStringLiteral("dangling")));
        write(at(QStringLiteral(".hidden")));
        QVERIFY(!FileOperations::listEntries(m_dir->path(), false)
                     ->contains(QStringLiteral(".hidden")));
        QVERIFY(
            FileOperations::listEntries(m_dir->path(), true)->contains(QStringLiteral(".hidden")));
        QVERIFY(!FileOperations::listEntries(at(QStringLiteral("dir/file")), true));
    }

    void within_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("within");
        QTest::newRow("the folder") << "/s/Karpet" << true;
        QTest::newRow("the folder with a slash") << "/s/Karpet/" << true;
        QTest::newRow("inside") << "/s/Karpet/a/b" << true;
        QTest::newRow("sibling with a longer name") << "/s/Karpet2/a" << false;
        QTest::newRow("shorter name") << "/s/Karpe" << false;
        QTest::newRow("climbing out") << "/s/Karpet/../Rak/a" << false;
        QTest::newRow("empty") << "" << false;
    }
    void within()
    {
        QFETCH(QString, path);
        QFETCH(bool, within);
        QCOMPARE(FileOperations::isWithin(path, QStringLiteral("/s/Karpet")), within);
    }

    void attributes()
    {
        const QString file = write(at(QStringLiteral("f")));
        QVERIFY(!ExtendedAttributes::read(file, ExtendedAttributes::originName));
        // Longer than the 1024 bytes once assumed; ext4 holds up to about one block.
        const QByteArray longValue(3000, 'p');
        QVERIFY(ExtendedAttributes::write(file, ExtendedAttributes::originName, longValue));
        QCOMPARE(ExtendedAttributes::read(file, ExtendedAttributes::originName),
                 std::optional(longValue));
        QVERIFY(ExtendedAttributes::write(file, ExtendedAttributes::addedName, QByteArray()));
        QCOMPARE(ExtendedAttributes::read(file, ExtendedAttributes::addedName),
                 std::optional(QByteArray()));
        QVERIFY(
            !ExtendedAttributes::read(at(QStringLiteral("none")), ExtendedAttributes::originName));
    }
};

PONDSILL_TEST(FileOperationsTest)
#include "file_operations_test.moc"
