#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "platform/thumbnails.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class FolderWatcherTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void removedFolderMadeAgainIsWatchedAgain_data()
    {
        QTest::addColumn<bool>("wholeTree"); // the watched parent goes too
        QTest::newRow("the child folder") << false;
        QTest::newRow("the whole tree") << true;
    }
    void removedFolderMadeAgainIsWatchedAgain()
    {
        QFETCH(bool, wholeTree);
        QTemporaryDir dir;
        const QString root = dir.path() + u"/root"_s;
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
        QVERIFY(named.contains(child));
        if (!wholeTree)
            QCOMPARE(named, QStringList{child});
        // Events in the parent that only stood in for the missing folders are not news.
        spy.clear();
        writeFile(dir.path() + u"/unrelated"_s);
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
        const QString path = dir.path() + u"/turned.jpg"_s;
        QImage image(400, 100, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QImageWriter writer(path, "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(image));
        QCOMPARE(Thumbnails::load(path, 200).size(), QSize(50, 200));
        QVERIFY(Thumbnails::load(dir.path(), 500).isNull()); // a folder
    }
};

PONDSILL_TEST(FolderWatcherTest)
PONDSILL_TEST(ThumbnailsTest)
#include "folder_watcher_test.moc"
