#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "platform/thumbnails.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
void touch(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
}
} // namespace

class FolderWatcherTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void burstGivesOneSignal()
    {
        QTemporaryDir dir;
        const QString a = dir.path() + QStringLiteral("/a");
        const QString b = dir.path() + QStringLiteral("/b");
        QDir().mkpath(a);
        QDir().mkpath(b);
        FolderWatcher watcher({a, b}, 100);
        QSignalSpy spy(&watcher, &FolderWatcher::changed);
        for (int i = 0; i < 30; ++i)
            touch((i % 2 ? a : b) + QStringLiteral("/f%1").arg(i));
        QTRY_COMPARE(spy.count(), 1);
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);
    }

    void folderMadeAgainIsWatchedAgain()
    {
        QTemporaryDir dir;
        const QString parent = dir.path();
        const QString child = parent + QStringLiteral("/child");
        QDir().mkpath(child);
        FolderWatcher watcher({parent, child}, 50);
        QCOMPARE(watcher.watchedFolders().size(), 2);
        QSignalSpy spy(&watcher, &FolderWatcher::changed);
        QVERIFY(FileOperations::removeItem(child));
        QTRY_VERIFY(!spy.isEmpty());
        QTRY_COMPARE(watcher.watchedFolders(), QStringList{parent});
        QDir().mkpath(child);
        QTRY_COMPARE(watcher.watchedFolders().size(), 2);
        spy.clear();
        touch(child + QStringLiteral("/new"));
        QTRY_COMPARE(spy.count(), 1);
    }

    void wholeTreeMadeAgainIsWatchedAgain()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + QStringLiteral("/root");
        const QString child = root + QStringLiteral("/child");
        QDir().mkpath(child);
        FolderWatcher watcher({root, child}, 50);
        QSignalSpy spy(&watcher, &FolderWatcher::changed);
        QVERIFY(FileOperations::removeItem(root));
        QTRY_VERIFY(watcher.watchedFolders().isEmpty());
        QDir().mkpath(child);
        QTRY_COMPARE(watcher.watchedFolders().size(), 2);
        spy.clear();
        touch(child + QStringLiteral("/new"));
        QTRY_COMPARE(spy.count(), 1);
        // Events in the parent that only stood in for the missing folders are not news.
        spy.clear();
        touch(dir.path() + QStringLiteral("/unrelated"));
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
    }
};

class ThumbnailsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void orientationIsApplied()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/turned.jpg");
        QImage image(400, 100, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QImageWriter writer(path, "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(image));
        QCOMPARE(Thumbnails::load(path, 200).size(), QSize(50, 200));
    }

    void nothingToRead()
    {
        QTemporaryDir dir;
        QVERIFY(Thumbnails::load(dir.path() + QStringLiteral("/none.png"), 500).isNull());
        QVERIFY(Thumbnails::load(dir.path(), 500).isNull());
    }
};

PONDSILL_TEST(FolderWatcherTest)
PONDSILL_TEST(ThumbnailsTest)
#include "folder_watcher_test.moc"
