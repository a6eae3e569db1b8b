// A few hundred operations drawn at random (from a fixed seed) over a home of files with
// awkward names, folders, links and a second file system, with restarts between them.
// After every operation each of the user's files must exist exactly once (outside, in the
// storage folder or in the Trash), and each of the user's links too.
#include "platform/file_operations.h"
#include "storage_fixture.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <unistd.h>

namespace {
const QStringList kNames = {u"plain.txt"_s,
                            u"quote \" and ' both.pdf"_s,
                            u"line\nbreak.txt"_s,
                            u"-leading dash"_s,
                            u"emoji 🐈‍⬛ cat.png"_s,
                            u"ملف عربي.doc"_s,
                            u"Café 50%.jpg"_s,
                            QString(251, u'n') + u".txt"_s,
                            u".dotfile"_s,
                            u"photo.png"_s,
                            u"archive.tar.gz"_s};

struct Walk {
    QMap<QByteArray, int> contents; // how often each file content appears outside a Trash
    QMap<QByteArray, int> trashed;  // and in a Trash
    QMap<QString, int> links;       // how often each link leads to each place
};

// Where a link leads: its destination from the folder it stands in, or, in a Trash, from
// the folder its info file says it came from.
QString leadsTo(const QString& link, const QString& folder)
{
    const QString text = FileOperations::readLink(link).value_or(QString());
    return QDir::isAbsolutePath(text) ? QDir::cleanPath(text)
                                      : QDir::cleanPath(folder + u'/' + text);
}

QString trashedFrom(const QString& trashRoot, const QString& entry)
{
    const QByteArray info = contentOf(trashRoot + u"/info/"_s + entry + u".trashinfo"_s);
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("Path="))
            return QFileInfo(QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5))))
                .absolutePath();
    }
    return {};
}

void walk(const QString& folder, const QString& trashRoot, Walk* seen, bool inTrash = false)
{
    for (const QString& name : FileOperations::listEntries(folder, true).value_or(QStringList())) {
        const QString path = folder + u'/' + name;
        if (FileOperations::isSymbolicLink(path)) {
            const bool trashed = !trashRoot.isEmpty() && folder == trashRoot + u"/files"_s;
            ++seen->links[leadsTo(path, trashed ? trashedFrom(trashRoot, name) : folder)];
        } else if (FileOperations::isDirectory(path)) {
            walk(path, trashRoot, seen, inTrash || path == trashRoot);
        } else {
            ++(inTrash ? seen->trashed : seen->contents)[contentOf(path)];
        }
    }
}
} // namespace

class RandomOperationsTest : public QObject {
    Q_OBJECT

    StorageHome* m_home = nullptr;
    QString m_stick;           // user files on a second file system
    QString m_stickTop;        // that file system, with its own Trash
    QByteArrayList m_contents; // every user file's content, each made unique
    QStringList m_linkTargets; // where each user link leads
    QByteArray m_raw;          // a file whose name is no UTF-8
    QSet<QByteArray> m_framed; // contents that were ever framed
    QRandomGenerator m_random;

    QString makeFile(const QString& path)
    {
        const QByteArray content = "user file " + QByteArray::number(m_contents.size());
        m_contents.append(content);
        return writeFile(path, content);
    }

    void layOut(const QString& base, int from)
    {
        for (int i = 0; i < kNames.size(); ++i) {
            const QString name = kNames[(i + from) % kNames.size()];
            if (i % 4 == 3) {
                makeFile(base + u"/folder "_s + QString::number(i) + u'/' + name);
                makeFile(base + u"/folder "_s + QString::number(i) + u"/inner/"_s + name);
            } else {
                makeFile(base + u'/' + name);
            }
        }
    }

    template <typename T> T pick(const QList<T>& list)
    {
        return list.at(qsizetype(m_random.bounded(quint32(list.size()))));
    }

    // The entries a user could drop into the room now.
    QStringList outside() const
    {
        QStringList items;
        for (const QString& folder :
             {m_home->desktop(), m_home->home() + u"/Downloads"_s, m_stick}) {
            if (folder.isEmpty())
                continue;
            for (const QString& name :
                 FileOperations::listEntries(folder, true).value_or(QStringList()))
                items.append(folder + u'/' + name);
        }
        return items;
    }

    void check(int step, const QString& operation)
    {
        Walk seen;
        walk(m_home->home(), {}, &seen);
        const QString trash = m_home->trashRoot();
        walk(trash, trash, &seen, true);
        if (!m_stickTop.isEmpty())
            walk(m_stickTop, m_stickTop + u"/.Trash-"_s + QString::number(::getuid()), &seen);
        // Framing a floor photo copies it into the album and sends the original to the
        // Trash: such a photo may have one more copy there, never one more outside.
        for (const QString& name :
             FileOperations::listEntries(m_home->album(), false).value_or(QStringList()))
            m_framed.insert(contentOf(m_home->album() + u'/' + name));
        for (const QByteArray& content : m_contents) {
            const int live = seen.contents.value(content);
            const int trashed = seen.trashed.value(content);
            const bool once = live <= 1 && live + trashed >= 1 &&
                              (live + trashed == 1 || m_framed.contains(content));
            QVERIFY2(once,
                     qPrintable(u"step %1 (%2): \"%3\" exists %4 times, %5 in the Trash"_s.arg(step)
                                    .arg(operation, QString::fromUtf8(content))
                                    .arg(live)
                                    .arg(trashed)));
        }
        QVERIFY2(contentOf(QFile::decodeName(m_raw)).isEmpty() &&
                     ::access(m_raw.constData(), F_OK) == 0,
                 qPrintable(
                     u"step %1 (%2): the file named in Latin-1 moved"_s.arg(step).arg(operation)));
        for (const QString& target : m_linkTargets) {
            QVERIFY2(seen.links.value(target) == 1,
                     qPrintable(u"step %1 (%2): the link to %3 exists %4 times"_s.arg(step)
                                    .arg(operation, target)
                                    .arg(seen.links.value(target))));
        }
    }

private Q_SLOTS:
    void everyFileExistsExactlyOnce_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("seed 1") << 1u;
        QTest::newRow("seed 20261206") << 20261206u;
    }
    void everyFileExistsExactlyOnce()
    {
        QFETCH(quint32, seed);
        m_random.seed(seed);
        m_contents.clear();
        m_linkTargets.clear();
        m_framed.clear();
        StorageHome f;
        m_home = &f;
        ScratchMount mount;
        m_stickTop = mount.isMounted() ? mount.path() : QString();
        m_stick = mount.isMounted() ? mount.path() + u"/stick"_s : QString();

        layOut(f.desktop(), 0);
        layOut(f.home() + u"/Downloads"_s, 3);
        if (!m_stick.isEmpty())
            layOut(m_stick, 6);
        // Links of the user's, relative and absolute, to files the room is never handed.
        for (int i = 0; i < 4; ++i) {
            const QString target = makeFile(f.home() + u"/linked/t"_s + QString::number(i));
            const QString text = i % 2 ? target : u"../linked/t"_s + QString::number(i);
            FileOperations::createSymbolicLink(text,
                                               f.desktop() + u"/shortcut "_s + QString::number(i));
            m_linkTargets.append(target);
        }
        // A name that is no UTF-8: the room must leave it where it is.
        m_raw = QFile::encodeName(f.desktop()) + "/caf\xe9.txt";
        QVERIFY(writeRaw(m_raw, "latin-1 name"));

        StorageManager* storage = &f.start();
        check(0, u"start"_s);
        for (int step = 1; step <= 300; ++step) {
            const ItemURLs shelf = storage->bookshelfItems();
            const ItemURLs carpet = storage->carpetItems();
            const QStringList out = outside();
            const quint32 kind = m_random.bounded(16u);
            const double x = m_random.generateDouble();
            const double y = m_random.generateDouble();
            QString operation;
            StdoutCapture quiet; // failures print their lines; they are not the point here
            if (kind <= 2 && !out.isEmpty()) {
                const QString item = pick(out);
                operation = u"hide "_s + item;
                storage->hideUnderCarpet(url(item), x, y);
            } else if (kind <= 4 && !out.isEmpty()) {
                const QString item = pick(out);
                operation = u"shelve "_s + item;
                storage->addToBookshelf(url(item));
            } else if (kind == 5 && !carpet.isEmpty()) {
                operation = u"carpet to shelf"_s;
                storage->moveCarpetItemsToBookshelf(
                    {pick(carpet).fileName(), pick(carpet).fileName()});
            } else if (kind == 6 && !shelf.isEmpty()) {
                operation = u"shelf to carpet"_s;
                storage->moveBookshelfItemToCarpet(pick(shelf));
            } else if (kind == 7 && !shelf.isEmpty()) {
                operation = u"return book"_s;
                storage->returnBookToDesktop(pick(shelf));
            } else if (kind == 8 && !carpet.isEmpty()) {
                operation = u"restore carpet item"_s;
                storage->restoreCarpetItemToDesktop(pick(carpet));
            } else if (kind == 9 && !carpet.isEmpty()) {
                operation = u"trash carpet item"_s;
                storage->trashCarpetItem(pick(carpet));
            } else if (kind == 10 && !shelf.isEmpty()) {
                operation = u"remove book"_s;
                storage->removeBookshelfItem(pick(shelf));
            } else if (kind == 11 && !carpet.isEmpty() &&
                       !StorageManager::isSymbolicLink(carpet.first())) {
                // As the floor frames a photo: the original goes once the frame has it. (A
                // shortcut's picture is copied, as from anywhere else, and stays.)
                const QUrl item = carpet.first();
                operation = u"frame "_s + item.fileName();
                if (storage->setPhoto(item, int(m_random.bounded(6u))))
                    storage->trashCarpetItem(item);
            } else if (kind == 12) {
                operation = u"unframe"_s;
                if (m_random.bounded(2u))
                    storage->removePhoto(int(m_random.bounded(6u)));
                else
                    storage->movePhotoToCarpet(int(m_random.bounded(6u)));
            } else if (kind == 13 && !shelf.isEmpty()) {
                operation = u"shelf item dropped on the floor"_s;
                storage->hideUnderCarpet(pick(shelf), x, y);
            } else if (kind == 14) {
                operation = u"restart"_s;
                storage = &f.start();
            } else if (kind == 15 && m_random.bounded(4u) == 0) {
                operation = u"everything back"_s;
                storage->returnEverythingToOrigin();
            } else {
                continue;
            }
            f.settle();
            quiet.finish();
            check(step, operation);
            if (QTest::currentTestFailed())
                break;
        }
        QCOMPARE(::unlink(m_raw.constData()), 0); // beyond the temporary folder's own clean-up
        m_home = nullptr;
    }
};

PONDSILL_TEST(RandomOperationsTest)
#include "random_operations_test.moc"
