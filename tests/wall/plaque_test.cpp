#include "room/asset_loader.h"
#include "state/app_state.h"
#include "support/fake_app_registry.h"
#include "support/temp_home.h"
#include "support/test_registry.h"
#include "wall/desktop_award_plaque_view.h"
#include "wall/plaque_logo.h"
#include "wall_room.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The room's state and an asset loader that finds no pictures, for plaques of their own.
struct Plaques {
    AppState state{nullptr};
    QTemporaryDir none;
    AssetLoader assets{AssetLoader::Locations{{}, {none.path()}}};
    DesktopAwardPlaqueView left{DesktopAwardPlaqueView::quennet(), state, assets};
    DesktopAwardPlaqueView right{DesktopAwardPlaqueView::tolvane(), state, assets};
};
} // namespace

class PlaqueTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Folders first, then the three places within each; a folder bearing the name is no logo.
    void logoLookupKeepsItsOrder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("expected");
        const QString name = u"quennet logoo.svg"_s;
        QTest::newRow("resources' Logos before resources' Assets")
            << QStringList{u"res/Assets/Logos/"_s + name, u"res/Assets/"_s + name, u"cwd/"_s + name}
            << QStringList{} << u"res/Assets/Logos/"_s + name;
        QTest::newRow("resources before the current folder")
            << QStringList{u"res/"_s + name, u"cwd/Assets/Logos/"_s + name} << QStringList{}
            << u"res/"_s + name;
        QTest::newRow("a folder of that name is skipped")
            << QStringList{u"home/"_s + name} << QStringList{u"res/Assets/Logos/"_s + name}
            << u"home/"_s + name;
    }
    void logoLookupKeepsItsOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : files)
            writeFile(root.filePath(file), "<svg/>");
        for (const QString& folder : folders)
            QDir().mkpath(root.filePath(folder));
        const QStringList bases = {root.filePath(u"res"_s), root.filePath(u"cwd"_s),
                                   root.filePath(u"home"_s)};
        const QString name = u"quennet logoo.svg"_s;
        QCOMPARE(PlaqueLogo::resolve(name, bases), root.filePath(expected));
        QCOMPARE(PlaqueLogo::find(name, bases), std::optional(root.filePath(expected)));
    }

    void noLogoAnywhereNamesOneInTheCurrentFolder()
    {
        QTemporaryDir root;
        const QString name = u"tolvane logo.svg"_s;
        QCOMPARE(PlaqueLogo::find(name, {root.path()}), std::nullopt);
        QCOMPARE(PlaqueLogo::resolve(name, {root.path()}), QDir::current().filePath(name));
    }

    // Moving straight from one plaque to the other, whichever event comes first.
    void hoverPassesToTheOtherPlaque_data()
    {
        QTest::addColumn<bool>("exitFirst");
        QTest::newRow("exit, then entry") << true;
        QTest::newRow("entry, then exit") << false;
    }
    void hoverPassesToTheOtherPlaque()
    {
        QFETCH(bool, exitFirst);
        Plaques s;
        s.left.hoverChanged(true);
        QVERIFY(s.left.isHovered());
        if (exitFirst) {
            s.left.hoverChanged(false);
            s.right.hoverChanged(true);
        } else {
            s.right.hoverChanged(true);
            s.left.hoverChanged(false);
        }
        QVERIFY(s.right.isHovered());
        QVERIFY(!s.left.isHovered());
        s.right.hoverChanged(false);
        QCOMPARE(s.state.hoveredPlaque(), std::nullopt);
    }

    void clicksOpenSwitchAndCloseTheCards()
    {
        Plaques s;
        s.left.toggleQuickView();
        QCOMPARE(s.state.activeQuickView(), std::optional(ActiveDesktopQuickView::quennetPlaque()));
        s.right.toggleQuickView();
        QCOMPARE(s.state.activeQuickView(), std::optional(ActiveDesktopQuickView::tolvanePlaque()));
        s.right.toggleQuickView();
        QCOMPARE(s.state.activeQuickView(), std::nullopt);
    }

    // Without its picture a plaque draws nothing, yet takes the pointer over its frame.
    void aPlaqueWithoutItsPictureIsInvisibleButThere()
    {
        Plaques s;
        s.left.setSize(QSizeF(80, 100));
        s.state.setHoveredPlaque(ActiveDesktopQuickView::quennetPlaque());
        QImage image(120, 140, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            s.left.paint(&p, nullptr, nullptr);
        }
        QImage blank(image.size(), image.format());
        blank.fill(Qt::transparent);
        QCOMPARE(image, blank);
        QVERIFY(s.left.contains(QPointF(2, 2)));
        QVERIFY(s.left.acceptedMouseButtons() & Qt::LeftButton);
    }

    void aDoubleClickOpensTheLogoOnlyWhenThereIsOne()
    {
        FakeAppRegistry apps;
        apps.setDefault(u"image/svg+xml"_s, apps.addApp(u"viewer.desktop"_s, {u"image/svg+xml"_s}));
        QVERIFY(apps.waitUntilSeen());
        Plaques s;
        CurrentFolder folder;
        s.right.openLogoFile();
        QVERIFY(apps.nothingLaunched());
        writeFile(folder.filePath(u"Assets/tolvane logo.svg"_s), "<svg/>");
        s.right.openLogoFile();
        QVERIFY(apps.launchedOnly(u"viewer.desktop"_s));
        QCOMPARE(s.state.activeQuickView(), std::nullopt);
    }
};

PONDSILL_TEST(PlaqueTest)

#include "plaque_test.moc"
