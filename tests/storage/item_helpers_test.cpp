#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "storage/storage_manager.h"
#include "storage_test_support.h"
#include "support/test_registry.h"

#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

class ItemHelpersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freeNames_data()
    {
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << QStringList{} << "a.txt"
                              << "a.txt";
        QTest::newRow("second number")
            << QStringList{QStringLiteral("Report.pdf"), QStringLiteral("Report (1).pdf")}
            << "Report.pdf"
            << "Report (2).pdf";
        QTest::newRow("no extension") << QStringList{QStringLiteral("notes")} << "notes"
                                      << "notes (1)";
        QTest::newRow("two extensions")
            << QStringList{QStringLiteral("archive.tar.gz")} << "archive.tar.gz"
            << "archive.tar (1).gz";
        QTest::newRow("leading dot only") << QStringList{QStringLiteral(".profile")} << ".profile"
                                          << ".profile (1)";
        QTest::newRow("dangling link holds its name")
            << QStringList{QStringLiteral("@a.txt")} << "a.txt"
            << "a (1).txt";
        QTest::newRow("only the last component counts")
            << QStringList{QStringLiteral("b.txt")} << "/some/where/b.txt"
            << "b (1).txt";
    }
    void freeNames()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        StorageHome home;
        const QString folder = home.dir(QStringLiteral("f"));
        for (const QString& entry : taken) {
            if (entry.startsWith(u'@'))
                home.link(QStringLiteral("f/") + entry.mid(1), QStringLiteral("/nowhere"));
            else
                home.file(QStringLiteral("f/") + entry);
        }
        QCOMPARE(StorageManager::uniqueDestinationPath(folder, name), folder + u'/' + expected);
        QCOMPARE(StorageManager::uniqueDestination(QUrl::fromLocalFile(folder + u'/'), name),
                 QUrl::fromLocalFile(folder + u'/' + expected));
    }

    void freeInEveryFolder()
    {
        StorageHome home;
        const QString a = home.dir(QStringLiteral("a"));
        const QString b = home.dir(QStringLiteral("b"));
        home.file(QStringLiteral("a/x.txt"));
        home.file(QStringLiteral("b/x (1).txt"));
        QCOMPARE(StorageManager::uniqueName({a, b}, QStringLiteral("x.txt")),
                 QStringLiteral("x (2).txt"));
    }

    void originsRoundTrip_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::newRow("accented") << QStringLiteral("/home/x/Desktop/Café.txt");
        QTest::newRow("emoji and spaces") << QStringLiteral("/home/x/My 😀 files/a b.pdf");
        QTest::newRow("longer than 1024 bytes") << QStringLiteral("/home/x/") + QString(200, u'd') +
                                                       u'/' + QString(200, u'é') + u'/' +
                                                       QString(900, u'n');
    }
    void originsRoundTrip()
    {
        QFETCH(QString, origin);
        StorageHome home;
        const QString item = home.file(QStringLiteral("Rak/item.txt"));
        const QUrl url = QUrl::fromLocalFile(item);
        QVERIFY(!StorageManager::readOriginAttribute(url));
        StorageManager::writeOriginAttributes(url, origin);
        QCOMPARE(StorageManager::readOriginAttribute(url), std::optional<QString>(origin));
        // The stored moment is now.
        const qint64 added = StorageManager::addedDate(url).toSecsSinceEpoch();
        QVERIFY(qAbs(added - QDateTime::currentSecsSinceEpoch()) < 5);
    }

    void originsGoThroughLinks()
    {
        StorageHome home;
        const QString target = home.file(QStringLiteral("target.txt"));
        const QString link = home.link(QStringLiteral("Rak/link.txt"), target);
        StorageManager::writeOriginAttributes(QUrl::fromLocalFile(link), QStringLiteral("/o"));
        QCOMPARE(ExtendedAttributes::read(target, ExtendedAttributes::originName),
                 std::optional<QByteArray>("/o"));
    }

    void badOriginsReadAsAbsent_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not UTF-8") << QByteArray("/home/\xff\xfe");
    }
    void badOriginsReadAsAbsent()
    {
        QFETCH(QByteArray, value);
        StorageHome home;
        const QString item = home.file(QStringLiteral("item"));
        QVERIFY(ExtendedAttributes::write(item, ExtendedAttributes::originName, value));
        QVERIFY(!StorageManager::readOriginAttribute(QUrl::fromLocalFile(item)));
    }

    void addedDates_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<double>("expected"); // NaN: the entry's own change time
        const double own = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("fraction") << QByteArray("1700000000.25") << 1700000000.25;
        QTest::newRow("exponent") << QByteArray("1.5e9") << 1.5e9;
        QTest::newRow("hexadecimal") << QByteArray("0x10") << 16.0;
        QTest::newRow("negative") << QByteArray("-5") << -5.0;
        QTest::newRow("leading space") << QByteArray(" 1700000000") << own;
        QTest::newRow("trailing text") << QByteArray("1700000000s") << own;
        QTest::newRow("word") << QByteArray("abc") << own;
        QTest::newRow("not a number") << QByteArray("nan") << own;
        QTest::newRow("comma") << QByteArray("1700000000,5") << own;
    }
    void addedDates()
    {
        QFETCH(QByteArray, value);
        QFETCH(double, expected);
        StorageHome home;
        const QString item = home.file(QStringLiteral("item"));
        QVERIFY(ExtendedAttributes::write(item, ExtendedAttributes::addedName, value));
        const double seconds = StorageManager::addedSeconds(item);
        if (std::isnan(expected))
            QCOMPARE(seconds, FileOperations::entryStatus(item)->changeTime);
        else
            QCOMPARE(seconds, expected);
    }

    void addedDateOfNothingIsTheDistantPast()
    {
        const QDateTime date =
            StorageManager::addedDate(QUrl::fromLocalFile(QStringLiteral("/no/such/item")));
        QCOMPARE(date.date(), QDate(1, 1, 1));
    }

    void imageFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("image");
        QTest::newRow("capital JPG") << "photo.JPG" << true;
        QTest::newRow("heic") << "x.heic" << true;
        QTest::newRow("svg by type") << "drawing.svg" << true;
        QTest::newRow("jp2 by type") << "scan.jp2" << true;
        QTest::newRow("text") << "notes.txt" << false;
        QTest::newRow("no extension") << "png" << false;
        QTest::newRow("hidden, no extension") << ".png" << false;
        QTest::newRow("pdf") << "doc.pdf" << false;
    }
    void imageFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, image);
        QCOMPARE(StorageManager::isImageFile(QUrl::fromLocalFile(QStringLiteral("/x/") + name)),
                 image);
    }

    void floorPositions()
    {
        StorageHome home;
        auto storage = home.start();
        storage->setFloorItemPositions(
            {{QStringLiteral("far"), {1.5, -0.2}}, {QStringLiteral("inside"), {0.5, 0.5}}});
        QCOMPARE(storage->carpetItemPosition(QStringLiteral("far")), (StoredPosition{0.96, 0.06}));
        QCOMPARE(storage->carpetItemPosition(QStringLiteral("inside")), (StoredPosition{0.5, 0.5}));
        QCOMPARE(storage->floorItemPositions().value(QStringLiteral("far")),
                 (StoredPosition{1.5, -0.2}));
        QCOMPARE(storage->carpetItemPosition(QStringLiteral("unplaced")),
                 StorageManager::defaultCarpetPosition(QStringLiteral("unplaced")));
    }

    void defaultPositionsStayOnTheFloor()
    {
        QStringList names = {QString(), QStringLiteral("a"), QString(5000, u'x')};
        for (int i = 0; i < 2000; ++i)
            names.append(QStringLiteral("file %1.txt").arg(i));
        QSet<int> buckets;
        for (const QString& name : names) {
            const StoredPosition p = StorageManager::defaultCarpetPosition(name);
            QCOMPARE(StorageManager::defaultCarpetPosition(name), p);
            const double e = 1e-9;
            const bool left =
                p.x >= 0.1 - e && p.x <= 0.2895 + e && p.y >= 0.75 - e && p.y <= 0.8546 + e;
            const bool right =
                p.x >= 0.76 - e && p.x <= 0.8496 + e && p.y >= 0.8 - e && p.y <= 0.8396 + e;
            QVERIFY2(left || right, qPrintable(name));
            if (left)
                buckets.insert(int((p.x - 0.1) / 0.07) + 3 * int(p.y >= 0.81));
            else
                buckets.insert(6 + int(p.x >= 0.805));
        }
        QCOMPARE(buckets.size(), 8); // every place gets used
    }

    void thumbnails_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("maxPixels");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("wide") << QSize(4000, 1000) << 500 << QSize(500, 125);
        QTest::newRow("tall") << QSize(300, 1200) << 500 << QSize(125, 500);
        QTest::newRow("small stays small") << QSize(40, 20) << 500 << QSize(40, 20);
    }
    void thumbnails()
    {
        QFETCH(QSize, size);
        QFETCH(int, maxPixels);
        QFETCH(QSize, expected);
        StorageHome home;
        const QString path = home.root() + QStringLiteral("/photo.png");
        home.dir(QString());
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(path));
        QCOMPARE(StorageManager::loadThumbnail(QUrl::fromLocalFile(path), maxPixels).size(),
                 expected);
    }

    void unreadablePictureGivesNoThumbnail()
    {
        StorageHome home;
        const QString path = home.file(QStringLiteral("fake.jpg"), "not a picture");
        QVERIFY(StorageManager::loadThumbnail(QUrl::fromLocalFile(path), 500).isNull());
    }

    void drops_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("file URLs")
            << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/home/x/a.txt")),
                           QUrl::fromLocalFile(QStringLiteral("/home/x/b c.txt"))}
            << QString()
            << QStringList{QStringLiteral("/home/x/a.txt"), QStringLiteral("/home/x/b c.txt")};
        QTest::newRow("web URL refused")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.txt"))} << QString() << none;
        QTest::newRow("other host refused")
            << QList<QUrl>{QUrl(QStringLiteral("file://server/share/a.txt"))} << QString() << none;
        QTest::newRow("localhost")
            << QList<QUrl>{QUrl(QStringLiteral("file://localhost/home/x/a.txt"))} << QString()
            << QStringList{QStringLiteral("/home/x/a.txt")};
        QTest::newRow("text file URL") << QList<QUrl>{} << "  file:///home/x/a%20b.txt\n"
                                       << QStringList{QStringLiteral("/home/x/a b.txt")};
        QTest::newRow("text absolute path") << QList<QUrl>{} << "/home/x/../y/./a.txt"
                                            << QStringList{QStringLiteral("/home/y/a.txt")};
        QTest::newRow("text relative path") << QList<QUrl>{} << "~/a.txt" << none;
        QTest::newRow("text several lines") << QList<QUrl>{} << "/a\n/b" << none;
        QTest::newRow("empty text") << QList<QUrl>{} << "   " << none;
    }
    void drops()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isNull())
            data.setText(text);
        QStringList got;
        StorageManager::loadDroppedURL(data,
                                       [&got](const QUrl& url) { got.append(url.toLocalFile()); });
        QVERIFY(got.isEmpty()); // delivered later, on the GUI thread
        QCoreApplication::processEvents();
        QCOMPARE(got, expected);

        got.clear();
        StorageManager::completeDroppedURLLoad(
            std::nullopt, data, [&got](const QUrl& url) { got.append(url.toLocalFile()); });
        QCoreApplication::processEvents();
        QCOMPARE(got, expected);
    }
};

PONDSILL_TEST(ItemHelpersTest)
#include "item_helpers_test.moc"
