#include "app/item_open_panel.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class ItemOpenPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Open takes a folder only when its row is picked in the list as Open is pressed. A
    // folder the name line names is opened, whatever was clicked in between: typing selects
    // the rows it names, and Qt's panel hands the name line back once the list has no pick.
    void openTakesAFolderOnlyWhenItsRowIsPicked_data()
    {
        QTest::addColumn<bool>("detail");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("suggestion"); // the name line's first, by "keys" or "mouse"
        QTest::addColumn<QStringList>("clicks"); // a row, "^" a row with Ctrl, "" an empty spot
        QTest::addColumn<QStringList>("chosen"); // none: Open entered Desktop, or stayed
        const QString desk = u"Desktop"_s, none;
        const QStringList emptySpot{none}, nothing, desktop{desk};
        for (const bool detail : {false, true}) {
            const auto row = [detail](const char* name) -> QTestData& {
                return QTest::newRow(
                    qPrintable((detail ? u"detail: "_s : u"list: "_s) + QLatin1String(name)));
            };
            row("typed, an empty spot") << detail << desk << none << emptySpot << nothing;
            row("suggested by keys, an empty spot")
                << detail << u"Desk"_s << u"keys"_s << emptySpot << nothing;
            row("suggestion clicked, an empty spot")
                << detail << u"Desk"_s << u"mouse"_s << emptySpot << nothing;
            row("typed, picked and unpicked")
                << detail << desk << none << QStringList{desk, u"^Desktop"_s} << nothing;
            row("typed, then picked") << detail << desk << none << desktop << desktop;
            row("picked, then an empty spot")
                << detail << none << none << QStringList{desk, none} << nothing;
            row("a file, then a folder picked with Ctrl")
                << detail << none << none << QStringList{u"a.txt"_s, u"^Desktop"_s}
                << QStringList{desk, u"a.txt"_s};
            row("two files typed, an empty spot")
                << detail << u"\"a.txt\" \"b.txt\""_s << none << emptySpot
                << QStringList{u"a.txt"_s, u"b.txt"_s};
        }
    }
    void openTakesAFolderOnlyWhenItsRowIsPicked()
    {
        QFETCH(bool, detail);
        QFETCH(QString, typed);
        QFETCH(QString, suggestion);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        writeFile(dir.filePath(u"Desktop/inside.txt"_s));
        writeFile(dir.filePath(u"a.txt"_s));
        writeFile(dir.filePath(u"b.txt"_s));
        UserPrompts::OpenPanel request{u"Pilih File untuk Disembunyikan di Bawah Karpet"_s, true,
                                       true, true};
        ItemOpenPanel panel(request);
        panel.setDirectory(dir.path());
        panel.setViewMode(detail ? QFileDialog::Detail : QFileDialog::List);
        auto* nameEdit = panel.findChild<QLineEdit*>(u"fileNameEdit"_s);
        auto* view = panel.findChild<QAbstractItemView*>(detail ? u"treeView"_s : u"listView"_s);
        auto* buttons = panel.findChild<QDialogButtonBox*>(u"buttonBox"_s);
        QVERIFY(nameEdit && view && buttons);
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        auto* popup = qobject_cast<QAbstractItemView*>(nameEdit->completer()->popup());
        QVERIFY(model && popup);
        panel.show();
        panel.activateWindow();
        QTRY_VERIFY(panel.isActiveWindow() && model->rowCount(view->rootIndex()) == 3);

        if (!typed.isEmpty()) {
            nameEdit->setFocus();
            QTRY_VERIFY(nameEdit->hasFocus());
            QTest::keyClicks(nameEdit, typed);
        }
        if (!suggestion.isEmpty()) {
            QTRY_VERIFY(popup->isVisible());
            if (suggestion == u"keys")
                QTest::keyClick(popup, Qt::Key_Down);
            else
                QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                                  popup->visualRect(popup->model()->index(0, 0)).center());
            QTRY_COMPARE(nameEdit->text(), u"Desktop"_s);
        }
        if (popup->isVisible())
            QTest::keyClick(popup, Qt::Key_Escape);
        QTRY_VERIFY(!popup->isVisible());
        for (const QString& click : clicks) {
            const bool ctrl = click.startsWith(u'^');
            QPoint at = view->viewport()->rect().bottomRight() - QPoint(4, 4);
            if (!click.isEmpty()) {
                const QModelIndex row = model->index(dir.filePath(click.mid(ctrl ? 1 : 0)));
                view->scrollTo(row);
                at = view->visualRect(row).center();
            }
            QCOMPARE(view->indexAt(at).isValid(), !click.isEmpty());
            QTest::mouseClick(view->viewport(), Qt::LeftButton,
                              ctrl ? Qt::ControlModifier : Qt::KeyboardModifiers(), at);
        }
        QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);

        QCOMPARE(panel.isVisible(), chosen.isEmpty());
        if (chosen.isEmpty()) {
            const bool entered = typed.startsWith(u"Desk");
            QCOMPARE(panel.directory().absolutePath(),
                     entered ? dir.filePath(u"Desktop"_s) : dir.path());
        } else {
            for (QString& name : chosen)
                name = dir.filePath(name);
            QStringList got = panel.chosenPaths();
            got.sort();
            QCOMPARE(got, chosen);
        }
        QVERIFY(QFileInfo(dir.filePath(u"Desktop/inside.txt"_s)).isFile());
    }

    // Every word the panel shows a user is the room's Indonesian, none of Qt's English: the
    // labels, buttons, tool tips, column heads, sidebar, filter and menu entries.
    void thePanelSpeaksIndonesian_data()
    {
        QTest::addColumn<bool>("files");
        QTest::addColumn<bool>("folders");
        QTest::addColumn<bool>("detail");
        QTest::newRow("files and folders, list") << true << true << false;
        QTest::newRow("files and folders, detail") << true << true << true;
        QTest::newRow("folders only") << false << true << true;
        QTest::newRow("photos") << true << false << false;
    }
    void thePanelSpeaksIndonesian()
    {
        QFETCH(bool, files);
        QFETCH(bool, folders);
        QFETCH(bool, detail);
        QTemporaryDir dir;
        writeFile(dir.filePath(u"Desktop/inside.txt"_s));
        ItemOpenPanel panel({u"Pilih"_s, files, folders, true, !folders});
        panel.setOption(QFileDialog::DontUseNativeDialog);
        panel.setDirectory(dir.path());
        panel.setViewMode(detail ? QFileDialog::Detail : QFileDialog::List);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        QStringList shown;
        for (const QWidget* widget : panel.findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(&panel))
                continue;
            shown << widget->toolTip();
            if (const auto* label = qobject_cast<const QLabel*>(widget))
                shown << label->text();
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
                shown << button->text();
            if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
                for (int i = 0; i < combo->count(); ++i)
                    shown << combo->itemText(i);
            }
            if (const auto* header = qobject_cast<const QHeaderView*>(widget)) {
                for (int section = 0; section < header->count(); ++section)
                    shown << header->model()->headerData(section, Qt::Horizontal).toString();
            }
            const auto* sidebar = qobject_cast<const QAbstractItemView*>(widget);
            for (int row = 0; sidebar && widget->objectName() == u"sidebar" &&
                              row < sidebar->model()->rowCount();
                 ++row)
                shown << sidebar->model()->index(row, 0).data().toString();
        }
        for (const QAction* action : panel.findChildren<QAction*>()) // the context menus
            shown << action->text();
        static const QRegularExpression english(
            uR"(\b(Look in|File name|Files of type|Directory|Open|Cancel|Choose|Name|Size|Type|)"
            uR"(Date Modified|Computer|Back|Forward|Parent|Create|New Folder|List View|)"
            uR"(Detail View|All Files|Rename|Delete|Show|hidden|Remove|Recent Places)\b)"_s);
        for (QString text : std::as_const(shown))
            QVERIFY2(!english.match(text.remove(u'&')).hasMatch(), qPrintable(text));
        for (const QString& word : {u"Batal"_s, u"Komputer"_s, u"Lihat di:"_s})
            QVERIFY2(shown.contains(word), qPrintable(word));
        QVERIFY(shown.contains(folders && !files ? u"&Pilih"_s : u"&Buka"_s));
        QCOMPARE(shown.contains(u"Tanggal Diubah"_s), detail);
    }
};

PONDSILL_TEST(ItemOpenPanelTest)
#include "item_open_panel_test.moc"
