#include "kit/formats.h"
#include "support/test_registry.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Byte counts and ages as the panels write them.
class FormatsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void byteCounts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("below a kilobyte") << qint64(999) << u"999 byte"_s;
        QTest::newRow("kilobytes are whole") << qint64(1499) << u"1 KB"_s;
        QTest::newRow("rounding up into megabytes") << qint64(999'600) << u"1 MB"_s;
        QTest::newRow("a megabyte and a half") << qint64(1'500'000) << u"1,5 MB"_s;
        QTest::newRow("terabytes") << qint64(4'260'000'000'000) << u"4,3 TB"_s;
        QTest::newRow("negative") << qint64(-5) << u"0 byte"_s;
    }
    void byteCounts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Formats::byteCount(bytes), text);
    }

    void relativeTimes_data()
    {
        QTest::addColumn<qint64>("secondsAgo"); // negative: in the future
        QTest::addColumn<QString>("text");
        const qint64 day = 86400;
        QTest::newRow("now") << qint64(0) << u"0 dtk lalu"_s;
        QTest::newRow("59 seconds") << qint64(59) << u"59 dtk lalu"_s;
        QTest::newRow("a minute") << qint64(60) << u"1 mnt lalu"_s;
        QTest::newRow("a week") << 7 * day << u"1 mgg lalu"_s;
        QTest::newRow("29 days") << 29 * day << u"4 mgg lalu"_s;
        QTest::newRow("a year") << 365 * day << u"1 thn lalu"_s;
        QTest::newRow("in 3 minutes") << qint64(-3 * 60) << u"dalam 3 mnt"_s;
    }
    void relativeTimes()
    {
        QFETCH(qint64, secondsAgo);
        QFETCH(QString, text);
        const QDateTime now(QDate(2026, 3, 1), QTime(12, 0));
        QCOMPARE(Formats::relativeTime(now.addSecs(-secondsAgo), now), text);
    }
};

PONDSILL_TEST(FormatsTest)
#include "formats_test.moc"
