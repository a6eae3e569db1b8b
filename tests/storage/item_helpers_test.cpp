#include "platform/desktop_icons.h"
#include "platform/extended_attributes.h"
#include "storage_fixture.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QImage>
#include <QMimeData>
#include <QTest>

namespace {
// A desktop whose icons and switch live in memory.
class FakeDesktopIcons : public DesktopIcons {
public:
    QList<DesktopIcon> listed;
    QList<DesktopIconMove> moves;
    bool acceptsSwitch = true;
    QList<bool> switchedTo;

    std::optional<QList<DesktopIcon>> icons(QString*) override { return listed; }
    bool moveIcon(const QString& name, const QPoint& position) override
    {
        moves.append({name, position});
        return true;
    }
    std::optional<bool> iconsShown() override { return m_shown; }
    bool setIconsShown(bool value) override
    {
        switchedTo.append(value);
        if (acceptsSwitch)
            m_shown = value;
        return acceptsSwitch;
    }

private:
    std::optional<bool> m_shown;
};
} // namespace

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
            << QStringList{u"Report.pdf"_s, u"Report (1).pdf"_s} << "Report.pdf"
            << "Report (2).pdf";
        QTest::newRow("two extensions") << QStringList{u"archive.tar.gz"_s} << "archive.tar.gz"
                                        << "archive.tar (1).gz";
        QTest::newRow("leading dot only") << QStringList{u".profile"_s} << ".profile"
                                          << ".profile (1)";
        QTest::newRow("dangling link holds its name") << QStringList{u"@a.txt"_s} << "a.txt"
                                                      << "a (1).txt";
        QTest::newRow("only the last component counts")
            << QStringList{u"b.txt"_s} << "/some/where/b.txt"
            << "b (1).txt";
    }
    void freeNames()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        StorageHome f;
        const QString folder = f.dir(u"f"_s);
        for (const QString& entry : taken) {
            if (entry.startsWith(u'@'))
                f.link(u"f/"_s + entry.mid(1), u"/nowhere"_s);
            else
                f.file(u"f/"_s + entry);
        }
        QCOMPARE(StorageManager::uniqueDestinationPath(folder, name), folder + u'/' + expected);
    }

    void origins_data()
    {
        QTest::addColumn<QByteArray>("stored"); // as the attribute holds it
        QTest::addColumn<QString>("origin");    // null: read as absent
        const QString accented = u"/home/x/My 😀 files/Café.txt"_s;
        const QString longer = u"/home/x/"_s + QString(200, u'd') + u'/' + QString(200, u'é') +
                               u'/' + QString(900, u'n');
        QTest::newRow("accented") << accented.toUtf8() << accented;
        QTest::newRow("longer than 1024 bytes") << longer.toUtf8() << longer;
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("not UTF-8") << QByteArray("/home/\xff\xfe") << QString();
    }
    void origins()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, origin);
        StorageHome f;
        const QUrl item = url(f.file(u"Rak/item.txt"_s));
        QVERIFY(!StorageManager::readOriginAttribute(item));
        if (origin.isNull())
            QVERIFY(ExtendedAttributes::write(item.toLocalFile(), ExtendedAttributes::originName,
                                              stored));
        else
            StorageManager::writeOriginAttributes(item, origin);
        QCOMPARE(StorageManager::readOriginAttribute(item),
                 origin.isNull() ? std::nullopt : std::optional(origin));
        QCOMPARE(ExtendedAttributes::read(item.toLocalFile(), ExtendedAttributes::originName),
                 std::optional(stored));
    }

    void thumbnails_data()
    {
        QTest::addColumn<QSize>("size"); // empty: a file that is no picture
        QTest::addColumn<QSize>("expected");
        QTest::newRow("wide") << QSize(4000, 1000) << QSize(500, 125);
        QTest::newRow("small stays small") << QSize(40, 20) << QSize(40, 20);
        QTest::newRow("not a picture") << QSize() << QSize(0, 0);
    }
    void thumbnails()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, expected);
        StorageHome f;
        const QString path = f.file(u"photo.png"_s, "not a picture");
        if (!size.isEmpty()) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::red);
            QVERIFY(image.save(path));
        }
        QCOMPARE(StorageManager::loadThumbnail(url(path), 500).size(), expected);
    }

    // Dropped text is taken only as one absolute path or one local file URL.
    void drops_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("file URLs")
            << QList<QUrl>{url(u"/home/x/a.txt"_s), url(u"/home/x/b c.txt"_s)} << QString()
            << QStringList{u"/home/x/a.txt"_s, u"/home/x/b c.txt"_s};
        QTest::newRow("web URL refused")
            << QList<QUrl>{QUrl(u"https://example.org/a.txt"_s)} << QString() << none;
        QTest::newRow("other host refused")
            << QList<QUrl>{QUrl(u"file://server/share/a.txt"_s)} << QString() << none;
        QTest::newRow("localhost") << QList<QUrl>{QUrl(u"file://localhost/home/x/a.txt"_s)}
                                   << QString() << QStringList{u"/home/x/a.txt"_s};
        QTest::newRow("text file URL") << QList<QUrl>{} << "  file:///home/x/a%20b.txt\n"
                                       << QStringList{u"/home/x/a b.txt"_s};
        QTest::newRow("text absolute path")
            << QList<QUrl>{} << "/home/x/../y/./a.txt" << QStringList{u"/home/y/a.txt"_s};
        QTest::newRow("text relative path") << QList<QUrl>{} << "~/a.txt" << none;
        QTest::newRow("text several lines") << QList<QUrl>{} << "/a\n/b" << none;
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
        const auto collect = [&got](const QUrl& url) { got.append(url.toLocalFile()); };
        StorageManager::loadDroppedURL(data, collect);
        QVERIFY(got.isEmpty()); // delivered later, on the GUI thread
        QCoreApplication::processEvents();
        QCOMPARE(got, expected);

        got.clear();
        StorageManager::completeDroppedURLLoad(std::nullopt, data, collect);
        QCoreApplication::processEvents();
        QCOMPARE(got, expected);
    }
    // Only the icons the room covers move, to the free column on the right, names as given.
    void coveredIconsMoveToTheRightColumn()
    {
        StorageHome f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        const QString quoted = u"He said \"hi\" \\ $(rm -rf ~).txt"_s;
        icons->listed = {{u"under the shelf"_s, QPoint(100, 700)},
                         {u"free"_s, QPoint(900, 600)},
                         {quoted, QPoint(600, 500)},
                         {u"high up"_s, QPoint(600, 300)}};
        f.start().setDesktopIcons(icons);
        StdoutCapture out;
        f->moveCoveredIcons();
        QCOMPARE(out.finish(), QString());
        QStringList moves;
        for (const DesktopIconMove& move : icons->moves)
            moves.append(u"%1 %2,%3"_s.arg(move.name).arg(move.to.x()).arg(move.to.y()));
        QCOMPARE(moves, (QStringList{u"under the shelf 1250,100"_s, quoted + u" 1250,195"_s}));
    }

    // The room's record follows only what the desktop really switched.
    void toggleFlipsOnlyWhatTheDesktopTook_data()
    {
        QTest::addColumn<bool>("accepts");
        QTest::newRow("the desktop takes the change") << true;
        QTest::newRow("the desktop has no switch") << false;
    }
    void toggleFlipsOnlyWhatTheDesktopTook()
    {
        QFETCH(bool, accepts);
        StorageHome f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        icons->acceptsSwitch = accepts;
        StorageManager& storage = f.start();
        storage.setDesktopIcons(icons);
        QVERIFY(!storage.areDesktopIconsHidden());
        storage.toggleDesktopIcons();
        QCOMPARE(storage.areDesktopIconsHidden(), accepts);
        storage.toggleDesktopIcons();
        QVERIFY(!storage.areDesktopIconsHidden());
        QCOMPARE(icons->switchedTo, (QList<bool>{false, accepts}));
    }
};

PONDSILL_TEST(ItemHelpersTest)
#include "item_helpers_test.moc"
