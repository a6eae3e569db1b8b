#include "storage/layout_records.h"
#include "support/test_registry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <limits>

class LayoutRecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void floorFiles_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<int>("items");
        QTest::newRow("empty item map")
            << QByteArray("{\"carpetPosition\":{\"x\":0.3,\"y\":0.6},\"itemPositions\":{}}") << true
            << 0;
        QTest::newRow("whole numbers and extra members")
            << QByteArray("{\"v\":2,\"carpetPosition\":{\"x\":1,\"y\":0,\"z\":9},"
                          "\"itemPositions\":{\"a\":{\"x\":0,\"y\":1}}}")
            << true << 1;
        QTest::newRow("no item map")
            << QByteArray("{\"carpetPosition\":{\"x\":0.3,\"y\":0.6}}") << false << 0;
        QTest::newRow("position without y")
            << QByteArray("{\"carpetPosition\":{\"x\":0.3,\"y\":0.6},"
                          "\"itemPositions\":{\"a\":{\"x\":0.1}}}")
            << false << 0;
        QTest::newRow("null for a number")
            << QByteArray("{\"carpetPosition\":{\"x\":null,\"y\":0.6},\"itemPositions\":{}}")
            << false << 0;
        QTest::newRow("string for a number")
            << QByteArray("{\"carpetPosition\":{\"x\":\"0.3\",\"y\":0.6},\"itemPositions\":{}}")
            << false << 0;
        QTest::newRow("not JSON") << QByteArray("{\"carpetPosition\":") << false << 0;
        QTest::newRow("a list") << QByteArray("[]") << false << 0;
    }
    void floorFiles()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QFETCH(int, items);
        const auto layout = decodeFloorLayout(json);
        QCOMPARE(layout.has_value(), decodes);
        if (layout)
            QCOMPARE(layout->itemPositions.size(), items);
    }

    void transformFiles_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QList<int>>("slots");
        const QByteArray identity = "{\"scale\":1,\"rotation\":0,\"offsetX\":0,\"offsetY\":0}";
        QTest::newRow("slots 0 and 3")
            << "{\"0\":" + identity + ",\"3\":" + identity + "}" << QList<int>{0, 3};
        QTest::newRow("slot 9 kept") << "{\"9\":" + identity + "}" << QList<int>{9};
        QTest::newRow("empty") << QByteArray("{}") << QList<int>{};
        QTest::newRow("a letter refuses the file")
            << "{\"0\":" + identity + ",\"a\":" + identity + "}" << QList<int>{-1};
        QTest::newRow("a padded number refuses the file")
            << "{\" 1\":" + identity + "}" << QList<int>{-1};
        QTest::newRow("missing member")
            << QByteArray("{\"1\":{\"scale\":1,\"rotation\":0,\"offsetX\":0}}") << QList<int>{-1};
    }
    void transformFiles()
    {
        QFETCH(QByteArray, json);
        QFETCH(QList<int>, slots);
        const auto transforms = decodePhotoTransforms(json);
        if (slots == QList<int>{-1}) {
            QVERIFY(!transforms);
            return;
        }
        QVERIFY(transforms);
        QCOMPARE(transforms->keys(), slots);
    }

    void defaultTransformForSlotTwo()
    {
        const auto bytes = encodePhotoTransforms({{2, PhotoTransform{}}});
        QVERIFY(bytes);
        const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
        QCOMPARE(object.keys(), QStringList{QStringLiteral("2")});
        const QJsonObject t = object.value(u"2").toObject();
        QCOMPARE(t.value(u"scale").toDouble(), 1.0);
        QCOMPARE(t.value(u"rotation").toDouble(), 0.0);
        QCOMPARE(t.value(u"offsetX").toDouble(), 0.0);
        QCOMPARE(t.value(u"offsetY").toDouble(), 0.0);
        QCOMPARE(encodePhotoTransforms({}), std::optional<QByteArray>("{}"));
    }

    void transformsRoundTripExactly()
    {
        const PhotoTransforms transforms = {{0, {1.25, -170, 8, -16}},
                                            {5, {0.1 + 0.2, 359.999, 1e-300, 3}}};
        const auto decoded = decodePhotoTransforms(*encodePhotoTransforms(transforms));
        QVERIFY(decoded);
        QVERIFY(*decoded == transforms);
    }

    void transformsDifferingInTheLastBit()
    {
        PhotoTransform a{1, 0, 0, 0.3};
        PhotoTransform b = a;
        b.offsetY = std::nextafter(b.offsetY, 1.0);
        QVERIFY(!(a == b));
        QVERIFY((a == PhotoTransform{1, 0, 0, 0.3}));
    }

    void nonFiniteValuesAreNotEncoded()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QVERIFY(!encodeFloorLayout({{nan, 0.5}, {}}));
        QVERIFY(!encodeFloorLayout({{0.5, 0.5}, {{QStringLiteral("a"), {0.1, inf}}}}));
        QVERIFY(!encodePhotoTransforms({{1, {1, 0, nan, 0}}}));
        QVERIFY(encodeFloorLayout({{0.5, 0.5}, {{QStringLiteral("a"), {1.5, -0.2}}}}));
    }
};

PONDSILL_TEST(LayoutRecordsTest)
#include "layout_records_test.moc"
