#include "bookshelf/bookshelf_view.h"
#include "cards/award_plaque_quick_view.h"
#include "kit/picture_pixels.h"
#include "kit/room_geometry.h"
#include "kit/room_picture.h"
#include "room/asset_loader.h"
#include "room/room_picture_store.h"
#include "room/theme_background_view.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"
#include "storage/sticky_note.h"
#include "support/test_registry.h"
#include "wall/desktop_award_plaque_view.h"
#include "wall/plaque_logo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QResource>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QXmlStreamReader>

#include <cmath>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
qreal channel(qreal c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

qreal luminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

qreal contrast(qreal a, qreal b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The average colour of `r` in `image`.
QColor average(const QImage& image, const QRect& r)
{
    qreal red = 0, green = 0, blue = 0;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.redF();
            green += c.greenF();
            blue += c.blueF();
            ++n;
        }
    }
    return n ? QColor::fromRgbF(float(red / n), float(green / n), float(blue / n)) : QColor();
}

QImage renderBackground(AssetLoader& assets, QSize size)
{
    ThemeBackgroundView view(RoomTheme::library(), assets);
    view.setSize(size);
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    view.paint(&p, nullptr, nullptr);
    return canvas;
}

bool isWallBlue(const QColor& c)
{
    return c.blueF() > c.redF() + 0.2;
}

// The background as the room's window shows it at `size`, with the pictures drawn for a size
// kept in `store`: once the one for this size has come when `wait`, else what shows at once.
QImage showBackground(const RoomPictureStore& store, QSize size, bool wait = true)
{
    AssetLoader assets(AssetLoader::standardLocations());
    ThemeBackgroundView view(RoomTheme::library(), assets);
    view.setPictureStore(store);
    view.setSize(size);
    QWidget window;
    QImage canvas(size, QImage::Format_RGB32);
    const auto paint = [&] {
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        view.paint(&p, nullptr, &window);
    };
    paint();
    if (wait) {
        if (!QTest::qWaitFor([&] { return view.showsPictureForSize(); }, 20000))
            return {};
        paint();
    }
    return canvas;
}

// The y of the first row at or below `from` in column `x` much lighter than the row two above
// it (an edge between pixels is shared by two rows): the top of a board's lit face under the
// dark back of the cabinet. -1 when there is none within `rows`.
int lightEdgeBelow(const QImage& image, int x, int from, int rows)
{
    for (int y = std::max(from, 2); y < std::min(from + rows, image.height()); ++y) {
        if (luminance(image.pixelColor(x, y)) > 2 * luminance(image.pixelColor(x, y - 2)) &&
            luminance(image.pixelColor(x, y)) > 0.15)
            return y;
    }
    return -1;
}

// A picture kept as the store keeps one, of `pixels`.
QByteArray keptPicture(QSize pixels, QImage::Format format = QImage::Format_RGB32)
{
    QImage picture(pixels, format);
    picture.fill(Qt::darkGreen);
    return PicturePixels::encode(picture);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QList<QSize>& screenSizes()
{
    static const QList<QSize> sizes = {QSize(1024, 768), QSize(1280, 1024), QSize(1366, 768),
                                       QSize(1440, 900), QSize(1920, 1080), QSize(2560, 1080),
                                       QSize(3840, 2160)};
    return sizes;
}
} // namespace

// The pictures the program ships: found by their names, shaped for the frames they fill,
// and drawn so the pieces standing on them read.
class RoomPicturesTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_scratch;

private Q_SLOTS:
    // Each picture in the program's own resources, in the proportions of what shows it.
    void everyPictureShipsInItsShape_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<qreal>("aspect");    // width over height
        QTest::addColumn<bool>("standsFree"); // transparent round the object
        QTest::newRow("background") << u"background"_s << QSize(1440, 900) << 1.6 << false;
        QTest::newRow("background@2x") << u"background@2x"_s << QSize(2880, 1800) << 1.6 << false;
        for (const char* plaque : {"plaque_quennet", "plaque_tolvane"})
            QTest::newRow(plaque) << QString::fromLatin1(plaque) << QSize() << 0.7931 << true;
        QTest::newRow("walpaper") << u"walpaper"_s << QSize() << 167.0 / 104 << false;
    }
    void everyPictureShipsInItsShape()
    {
        QFETCH(QString, name);
        QFETCH(QSize, pixels);
        QFETCH(qreal, aspect);
        QFETCH(bool, standsFree);
        AssetLoader assets(AssetLoader::standardLocations());
        const std::optional<QImage> image = assets.image(name);
        QVERIFY(image && !image->isNull());
        if (pixels.isValid())
            QCOMPARE(image->size(), pixels);
        QVERIFY(std::abs(qreal(image->width()) / image->height() - aspect) < 0.01 * aspect);
        const QColor corner = image->pixelColor(0, 0);
        const QColor middle = image->pixelColor(image->width() / 2, image->height() / 3);
        QCOMPARE(corner.alpha() == 0, standsFree);
        QCOMPARE(middle.alpha(), 255);
    }

    // The pictures the room shows as it starts are read where they lie in the program, not
    // decoded (nor copied) on the way.
    void thePicturesOfTheFirstFrameLieInTheProgram_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"background", "walpaper", "plaque_quennet", "plaque_tolvane"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void thePicturesOfTheFirstFrameLieInTheProgram()
    {
        QFETCH(QString, name);
        AssetLoader assets(AssetLoader::standardLocations());
        const std::optional<QImage> image = assets.image(name);
        QVERIFY(image && !image->isNull());
        const QResource kept(u":/images/"_s + name + u".pixels"_s);
        QVERIFY(kept.isValid());
        QCOMPARE(kept.compressionAlgorithm(), QResource::NoCompression);
        const auto* first = reinterpret_cast<const uchar*>(kept.data());
        QVERIFY(image->constBits() >= first &&
                image->constBits() + image->sizeInBytes() <= first + kept.size());
    }

    // Under the board's frame lies cork: the header (dark brown) reads on it at 3:1 or more,
    // every note colour stands apart from it, and no corner of the board shows the wall.
    void theCorkCarriesTheBoard()
    {
        AssetLoader assets(AssetLoader::standardLocations());
        const std::optional<QImage> background = assets.image(u"background"_s);
        QVERIFY(background);
        const QRectF board = RoomGeometry(background->size()).frame(Furniture::Corkboard).rect();
        const QRect header =
            QRectF(board.center().x() - 90, board.top() + 10, 180, 24).toAlignedRect();
        const qreal headerInk = luminance(QColor::fromRgbF(0.24f, 0.15f, 0.09f));
        const qreal cork = luminance(average(*background, header));
        QVERIFY2(contrast(cork, headerInk) >= 3,
                 qPrintable(u"header contrast %1"_s.arg(contrast(cork, headerInk))));
        const QColor corkColour = average(*background, board.toAlignedRect());
        for (const NoteColor note : allNoteColors()) {
            const QColor c = color(note);
            const qreal distance =
                std::hypot(c.redF() - corkColour.redF(), c.greenF() - corkColour.greenF(),
                           c.blueF() - corkColour.blueF());
            QVERIFY2(distance > 0.25, qPrintable(rawValue(note)));
        }
        const QRect inside = board.adjusted(3, 3, -3, -3).toAlignedRect();
        for (const QPoint corner :
             {inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight()})
            QVERIFY(!isWallBlue(background->pixelColor(corner)));
        QVERIFY(
            isWallBlue(background->pixelColor(board.toAlignedRect().topLeft() - QPoint(40, 0))));
    }

    // At the picture's own proportions, the cabinet lies under the shelf at any window size:
    // each board's lit top face on the line its row stands on, the dark back just above it,
    // and a wooden side where the frame begins.
    void theCabinetStandsUnderTheShelf_data()
    {
        QTest::addColumn<QSize>("size");
        for (const QSize size :
             {QSize(1440, 900), QSize(1280, 800), QSize(1024, 640), QSize(2560, 1600)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    void theCabinetStandsUnderTheShelf()
    {
        QFETCH(QSize, size);
        AssetLoader assets(AssetLoader::standardLocations());
        const QImage room = renderBackground(assets, size);
        const RoomGeometry g(size);
        const qreal x = g.shelfCentre().x() + 11; // between two of the back's boards
        for (int shelf = 0; shelf < 2; ++shelf) {
            const qreal line = g.shelfLineY(shelf);
            const QColor face = room.pixelColor(QPointF(x, line + 1).toPoint());
            const QColor back = room.pixelColor(QPointF(x, line - 4).toPoint());
            QVERIFY2(
                luminance(face) > 2 * luminance(back),
                qPrintable(u"shelf %1: %2 over %3"_s.arg(shelf).arg(face.name(), back.name())));
            QVERIFY(!isWallBlue(face) && !isWallBlue(back));
        }
        const QRectF frame = g.shelfRect();
        QVERIFY(
            !isWallBlue(room.pixelColor(QPointF(frame.left() + 3, frame.center().y()).toPoint())));
        QVERIFY(
            !isWallBlue(room.pixelColor(QPointF(frame.right() - 3, frame.center().y()).toPoint())));
    }

    // At every common screen shape the room's picture is drawn for the window: the top face of
    // each of the cabinet's boards lies within a pixel of the line the shelf stands that
    // row's books and boxes on, across the cabinet, and the cork lies under the corkboard's
    // corners.
    void theBoardsCarryTheRowsAtEveryScreenShape_data()
    {
        QTest::addColumn<QSize>("size");
        for (const QSize size : screenSizes())
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    void theBoardsCarryTheRowsAtEveryScreenShape()
    {
        QFETCH(QSize, size);
        QTemporaryDir cache;
        const RoomPictureStore store(cache.path(), RoomPictureStore::carriedStamp(u"background"_s));
        QVERIFY(store.isUsable());
        const QImage room = showBackground(store, size);
        QVERIFY(!room.isNull());
        const RoomGeometry g(size);
        const QRectF shelf = g.shelfRect();
        for (int row = 0; row < 2; ++row) {
            const qreal line = shelf.top() + BookshelfView::shelfLine(row, shelf.height());
            for (const qreal across : {0.3, 0.5, 0.8}) {
                const int x = int(shelf.left() + across * shelf.width()) | 1;
                const int edge = lightEdgeBelow(room, x, int(line) - 30, 60);
                QVERIFY2(
                    std::abs(edge - line) <= 1,
                    qPrintable(
                        u"row %1 at x %2: board at %3, books at %4"_s.arg(row).arg(x).arg(edge).arg(
                            line)));
            }
        }
        const QRect board = g.frame(Furniture::Corkboard).rect().adjusted(3, 3, -3, -3).toRect();
        for (const QPoint corner :
             {board.topLeft(), board.topRight(), board.bottomLeft(), board.bottomRight()})
            QVERIFY(!isWallBlue(room.pixelColor(corner)));
        // The badge's corner of the shelf is the cabinet's, not the wall's.
        QVERIFY(!isWallBlue(room.pixelColor((shelf.topRight() + QPointF(-6, 6)).toPoint())));
    }

    // A picture drawn for a size is kept: a later start at that size shows it at once, read
    // back, where the first had to wait for it.
    void aPictureDrawnForASizeIsKept()
    {
        QTemporaryDir cache;
        const RoomPictureStore store(cache.path(), RoomPictureStore::carriedStamp(u"background"_s));
        const QSize size(1366, 768);
        const QImage first = showBackground(store, size);
        QVERIFY(QFileInfo(store.path(u"library"_s, size, 1)).isFile());
        QCOMPARE(QDir(cache.path()).entryList(QDir::Files), // nothing half-written beside it
                 QStringList{QFileInfo(store.path(u"library"_s, size, 1)).fileName()});
        QCOMPARE(showBackground(store, size, false), first);
        QCOMPARE(store.load(u"library"_s, size, 1), RoomPicture::draw(size));
    }

    // A kept picture that is damaged, of another size or of another kind is not shown: the room
    // is drawn again and kept in its place.
    void aDamagedOrWrongKeptPictureIsDrawnAgain_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QSize pixels(1024, 768);
        const QByteArray good = keptPicture(pixels);
        QTest::newRow("cut short") << good.left(good.size() / 2);
        QTest::newRow("one byte short") << good.left(good.size() - 1);
        QTest::newRow("one byte long") << good + 'x';
        QTest::newRow("another size") << keptPicture(QSize(800, 600));
        QTest::newRow("same bytes, other shape") << keptPicture(QSize(768, 1024));
        QTest::newRow("not our header") << QByteArray(good).replace(0, 4, "JFIF");
        QTest::newRow("translucent") << keptPicture(pixels, QImage::Format_ARGB32);
        QTest::newRow("empty") << QByteArray();
    }
    void aDamagedOrWrongKeptPictureIsDrawnAgain()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir cache;
        const RoomPictureStore store(cache.path(), RoomPictureStore::carriedStamp(u"background"_s));
        const QSize size(1024, 768);
        const QString path = store.path(u"library"_s, size, 1);
        QVERIFY(writeFile(path, bytes));
        QVERIFY(store.load(u"library"_s, size, 1).isNull());
        const QImage room = showBackground(store, size);
        QVERIFY(!room.isNull());
        // Not the kept picture's green, but the wall.
        QVERIFY(isWallBlue(room.pixelColor(size.width() / 2, 20)));
        QCOMPARE(store.load(u"library"_s, size, 1), RoomPicture::draw(size));
    }

    // Neither a folder nor a pipe in a kept picture's place is read (a pipe would hold the
    // room up); pictures of an earlier drawing go once a new one is kept.
    void onlyTheStoresOwnFilesAreRead()
    {
        QTemporaryDir cache;
        const RoomPictureStore store(cache.path(), u"new"_s);
        const QSize size(1024, 768);
        QVERIFY(QDir().mkpath(store.path(u"library"_s, size, 1)));
        QVERIFY(store.load(u"library"_s, size, 1).isNull());
        const QString pipe = store.path(u"library"_s, size, 2);
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QVERIFY(store.load(u"library"_s, size, 2).isNull());

        const RoomPictureStore older(cache.path(), u"old"_s);
        QVERIFY(older.store(u"library"_s, QSizeF(100, 80), 1, RoomPicture::draw({100, 80})));
        QVERIFY(store.store(u"library"_s, QSizeF(100, 80), 1, RoomPicture::draw({100, 80})));
        QVERIFY(!QFileInfo::exists(older.path(u"library"_s, QSizeF(100, 80), 1)));
        QVERIFY(!store.load(u"library"_s, QSizeF(100, 80), 1).isNull());
        // A picture of another size is never kept under this size's name.
        QVERIFY(!store.store(u"library"_s, QSizeF(100, 80), 1, RoomPicture::draw({90, 80})));
    }

    // A plaque's frame reaches past its arched picture over the lamp, the monitor and the
    // corkboard: it takes clicks where the picture shows, not in the clear corners beside the
    // arch.
    void plaquesTakeClicksWhereTheyShow_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("quennet") << 0;
        QTest::newRow("tolvane") << 1;
    }
    void plaquesTakeClicksWhereTheyShow()
    {
        QFETCH(int, which);
        const auto& plaque =
            which == 0 ? DesktopAwardPlaqueView::quennet() : DesktopAwardPlaqueView::tolvane();
        QSettings settings(QDir(m_scratch.path()).filePath(u"p.ini"_s), QSettings::IniFormat);
        AppState state(&settings);
        AssetLoader assets(AssetLoader::standardLocations());
        DesktopAwardPlaqueView view(plaque, state, assets);
        const QSizeF frame = RoomGeometry(QSizeF(1440, 900)).frame(Furniture::QuennetPlaque).size;
        view.setSize(frame);
        const QPainterPath shape = view.shape();
        QVERIFY(shape.contains(QPointF(frame.width() / 2, frame.height() / 2)));
        QVERIFY(shape.contains(QPointF(frame.width() / 2, frame.height() - 3)));
        for (QPointF corner : {QPointF(2, 2), QPointF(frame.width() - 2, 2)})
            QVERIFY(!shape.contains(corner));
    }

    // With the compiled-in pictures taken away the room falls back to its drawn wall, the
    // plaques draw nothing and their card has no picture row.
    void withoutItsPicturesTheRoomStillDraws()
    {
        AssetLoader shipped(AssetLoader::standardLocations());
        const AwardPlaqueQuickView pictured(
            u"t"_s, u"s"_s, u"plaque_quennet"_s, u"quennet logoo.svg"_s, [] {}, shipped);
        Q_CLEANUP_RESOURCE(room_art);
        const auto restore = qScopeGuard([] { Q_INIT_RESOURCE(room_art); });
        AssetLoader assets(AssetLoader::standardLocations());
        for (const char* name : {"background", "plaque_quennet", "plaque_tolvane", "walpaper"})
            QVERIFY(!assets.image(QString::fromLatin1(name)));
        const QSize size(1440, 900);
        const QImage room = renderBackground(assets, size);
        const QPoint board = RoomGeometry(size).frame(Furniture::Corkboard).centre.toPoint();
        QVERIFY(isWallBlue(room.pixelColor(board)));

        // The picture row adds 75 points and its spacing to the card.
        const AwardPlaqueQuickView bare(
            u"t"_s, u"s"_s, u"plaque_quennet"_s, u"quennet logoo.svg"_s, [] {}, assets);
        QVERIFY(pictured.size().height() >= bare.size().height() + 75);
    }

    // The logos lie where the plaques look for them beside the built program, and are
    // drawings of their own: SVG with nothing embedded or fetched.
    void theLogosAreFoundBesideTheProgram_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quennet") << DesktopAwardPlaqueView::quennet().svgFileName;
        QTest::newRow("tolvane") << DesktopAwardPlaqueView::tolvane().svgFileName;
    }
    void theLogosAreFoundBesideTheProgram()
    {
        QFETCH(QString, name);
        const std::optional<QString> path =
            PlaqueLogo::find(name, {QStringLiteral(PONDSILL_BUILD_DATA_DIR)});
        QVERIFY(path);
        QVERIFY(path->endsWith(u"/Assets/Logos/"_s + name));
        QFile file(*path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), u"svg"_s);
        QVERIFY(!xml.attributes().value(u"viewBox"_s).isEmpty());
        int shapes = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement) {
                QVERIFY2(xml.name() != u"image"_s, "no embedded pictures");
                for (const auto& attribute : xml.attributes())
                    QVERIFY(!attribute.value().contains(u"http"_s) ||
                            attribute.qualifiedName() == u"xmlns"_s);
                shapes += xml.name() == u"circle"_s || xml.name() == u"rect"_s ||
                          xml.name() == u"path"_s || xml.name() == u"line"_s;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(shapes >= 3);
    }
};

PONDSILL_TEST(RoomPicturesTest)
#include "room_pictures_test.moc"
