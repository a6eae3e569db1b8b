#include "app/item_open_panel.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

class ItemOpenPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choosesFoldersOnlyWhereAsked_data()
    {
        QTest::addColumn<bool>("folders");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("chosen");
        QTest::newRow("a folder") << true << QStringLiteral("Photos")
                                  << QStringList{QStringLiteral("Photos")};
        QTest::newRow("a folder and a file")
            << true << QStringLiteral("\"Photos\" \"a.txt\"")
            << QStringList{QStringLiteral("Photos"), QStringLiteral("a.txt")};
        QTest::newRow("a missing item") << true << QStringLiteral("gone.txt") << QStringList();
        // A panel for files only enters a folder instead of choosing it.
        QTest::newRow("files only, a folder") << false << QStringLiteral("Photos") << QStringList();
        QTest::newRow("files only, a file")
            << false << QStringLiteral("a.txt") << QStringList{QStringLiteral("a.txt")};
    }
    void choosesFoldersOnlyWhereAsked()
    {
        QFETCH(bool, folders);
        QFETCH(QString, typed);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Photos")));
        QVERIFY(QFile(dir.filePath(QStringLiteral("a.txt"))).open(QIODevice::WriteOnly));

        UserPrompts::OpenPanel request;
        request.title = QStringLiteral("Pilih File atau Folder untuk Rak Buku");
        request.folders = folders;
        request.multiple = true;
        ItemOpenPanel panel(request);
        panel.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(panel.windowTitle(), request.title);
        panel.setDirectory(dir.path());
        auto* edit = panel.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        edit->setText(typed);
        panel.accept();

        QStringList expected;
        for (const QString& name : chosen)
            expected.append(dir.filePath(name));
        QCOMPARE(panel.result() == QDialog::Accepted, !expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(panel.chosenPaths(), expected);
    }
};

PONDSILL_TEST(ItemOpenPanelTest)
#include "item_open_panel_test.moc"
