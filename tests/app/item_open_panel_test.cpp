#include "app/item_open_panel.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QAbstractButton>
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
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {
// The panel as the carpet's and the shelf's menus open it, shown on a folder of its own in
// the list or the detail view, with the folder's rows listed.
struct ShownPanel {
    explicit ShownPanel(const UserPrompts::OpenPanel& request, const QString& folder, bool detail)
        : panel(request)
    {
        panel.setDirectory(folder);
        panel.setViewMode(detail ? QFileDialog::Detail : QFileDialog::List);
        nameEdit = panel.findChild<QLineEdit*>(u"fileNameEdit"_s);
        view = panel.findChild<QAbstractItemView*>(detail ? u"treeView"_s : u"listView"_s);
        model = view ? qobject_cast<QFileSystemModel*>(view->model()) : nullptr;
        auto* buttons = panel.findChild<QDialogButtonBox*>(u"buttonBox"_s);
        open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        panel.show();
        panel.activateWindow();
    }
    bool ready(int rows) const
    {
        return nameEdit && view && model && open && panel.isActiveWindow() &&
               model->rowCount(view->rootIndex()) == rows;
    }
    QPoint rowCentre(const QString& path) const
    {
        const QModelIndex row = model->index(path);
        view->scrollTo(row);
        return view->visualRect(row).center();
    }

    ItemOpenPanel panel;
    QLineEdit* nameEdit = nullptr;
    QAbstractItemView* view = nullptr;
    QFileSystemModel* model = nullptr;
    QAbstractButton* open = nullptr;
};

UserPrompts::OpenPanel filesAndFolders()
{
    UserPrompts::OpenPanel request;
    request.title = u"Pilih File untuk Disembunyikan di Bawah Karpet"_s;
    request.folders = true;
    request.multiple = true;
    return request;
}
} // namespace

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
        QTest::addColumn<QString>("shown");      // the folder shown after Open, if still open
        QTest::addColumn<QStringList>("chosen");
        const QString desktop = u"Desktop"_s, none, start = u"."_s;
        const QStringList emptySpot{none}, nothing;
        for (const bool detail : {false, true}) {
            const auto row = [detail](const char* name) -> QTestData& {
                return QTest::newRow(
                    qPrintable((detail ? u"detail: "_s : u"list: "_s) + QLatin1String(name)));
            };
            row("typed, a click on an empty spot")
                << detail << desktop << none << emptySpot << desktop << nothing;
            row("a suggestion by keys, a click on an empty spot")
                << detail << u"Desk"_s << u"keys"_s << emptySpot << desktop << nothing;
            row("a suggestion clicked, a click on an empty spot")
                << detail << u"Desk"_s << u"mouse"_s << emptySpot << desktop << nothing;
            row("typed, picked and unpicked")
                << detail << desktop << none << QStringList{desktop, u"^Desktop"_s} << desktop
                << nothing;
            row("typed, then picked") << detail << desktop << none << QStringList{desktop} << none
                                      << QStringList{desktop};
            row("picked") << detail << none << none << QStringList{desktop} << none
                          << QStringList{desktop};
            row("picked, then a click on an empty spot")
                << detail << none << none << QStringList{desktop, none} << start << nothing;
            row("a file picked, then a folder with Ctrl")
                << detail << none << none << QStringList{u"a.txt"_s, u"^Desktop"_s} << none
                << QStringList{desktop, u"a.txt"_s};
            row("a file typed, a click on an empty spot")
                << detail << u"a.txt"_s << none << emptySpot << none << QStringList{u"a.txt"_s};
            row("two files typed, a click on an empty spot")
                << detail << u"\"a.txt\" \"b.txt\""_s << none << emptySpot << none
                << QStringList{u"a.txt"_s, u"b.txt"_s};
        }
    }
    void openTakesAFolderOnlyWhenItsRowIsPicked()
    {
        QFETCH(bool, detail);
        QFETCH(QString, typed);
        QFETCH(QString, suggestion);
        QFETCH(QStringList, clicks);
        QFETCH(QString, shown);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        writeFile(dir.filePath(u"Desktop/inside.txt"_s));
        writeFile(dir.filePath(u"a.txt"_s));
        writeFile(dir.filePath(u"b.txt"_s));
        ShownPanel shownPanel(filesAndFolders(), dir.path(), detail);
        ItemOpenPanel& panel = shownPanel.panel;
        QTRY_VERIFY(shownPanel.ready(3));

        if (!typed.isEmpty()) {
            shownPanel.nameEdit->setFocus();
            QTRY_VERIFY(shownPanel.nameEdit->hasFocus());
            QTest::keyClicks(shownPanel.nameEdit, typed);
        }
        // A suggestion of the name line taken by the arrow key or by a click on it.
        auto* popup = qobject_cast<QAbstractItemView*>(shownPanel.nameEdit->completer()->popup());
        QVERIFY(popup);
        if (!suggestion.isEmpty()) {
            QTRY_VERIFY(popup->isVisible());
            if (suggestion == u"keys")
                QTest::keyClick(popup, Qt::Key_Down);
            else
                QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                                  popup->visualRect(popup->model()->index(0, 0)).center());
            QTRY_COMPARE(shownPanel.nameEdit->text(), u"Desktop"_s);
        }
        if (popup->isVisible())
            QTest::keyClick(popup, Qt::Key_Escape);
        QTRY_VERIFY(!popup->isVisible());
        QWidget* viewport = shownPanel.view->viewport();
        for (const QString& click : clicks) {
            const bool ctrl = click.startsWith(u'^');
            QPoint at = viewport->rect().bottomRight() - QPoint(4, 4);
            if (!click.isEmpty())
                at = shownPanel.rowCentre(dir.filePath(click.mid(ctrl ? 1 : 0)));
            QCOMPARE(shownPanel.view->indexAt(at).isValid(), !click.isEmpty());
            QTest::mouseClick(viewport, Qt::LeftButton,
                              ctrl ? Qt::ControlModifier : Qt::KeyboardModifiers(), at);
        }
        QTest::mouseClick(shownPanel.open, Qt::LeftButton);

        if (chosen.isEmpty()) {
            QVERIFY(panel.isVisible());
            const QString folder = QDir::cleanPath(dir.filePath(shown));
            QCOMPARE(panel.directory().absolutePath(), folder);
        } else {
            QVERIFY(!panel.isVisible());
            QCOMPARE(panel.result(), int(QDialog::Accepted));
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
        QTest::addColumn<bool>("imagesOnly");
        QTest::addColumn<bool>("detail");
        QTest::newRow("files and folders, list") << true << true << false << false;
        QTest::newRow("files and folders, detail") << true << true << false << true;
        QTest::newRow("folders only") << false << true << false << true;
        QTest::newRow("photos") << true << false << true << false;
    }
    void thePanelSpeaksIndonesian()
    {
        QFETCH(bool, files);
        QFETCH(bool, folders);
        QFETCH(bool, imagesOnly);
        QFETCH(bool, detail);
        QTemporaryDir dir;
        writeFile(dir.filePath(u"Desktop/inside.txt"_s));
        UserPrompts::OpenPanel request;
        request.files = files;
        request.folders = folders;
        request.imagesOnly = imagesOnly;
        ItemOpenPanel panel(request);
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
            // The folder shown is a path of the user's; its filter and history are words.
            if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
                for (int i = 0; i < combo->count(); ++i)
                    shown << combo->itemText(i);
            }
            if (const auto* header = qobject_cast<const QHeaderView*>(widget)) {
                for (int section = 0; section < header->count(); ++section)
                    shown << header->model()->headerData(section, Qt::Horizontal).toString();
            }
            if (widget->objectName() == u"sidebar") {
                const auto* sidebar = qobject_cast<const QAbstractItemView*>(widget);
                QVERIFY(sidebar);
                for (int row = 0; row < sidebar->model()->rowCount(); ++row)
                    shown << sidebar->model()->index(row, 0).data().toString();
            }
        }
        // The list's context menu.
        for (const QAction* action : panel.findChildren<QAction*>())
            shown << action->text();
        static const QRegularExpression english(
            uR"(\b(Look in|File name|Files of type|Directory|Open|Cancel|Choose|Name|Size|Type|)"
            uR"(Date Modified|Computer|Back|Forward|Parent|Create|New Folder|List View|)"
            uR"(Detail View|All Files|Rename|Delete|Show|hidden|Remove|Recent Places)\b)"_s);
        for (QString text : std::as_const(shown)) {
            text.remove(u'&');
            QVERIFY2(!english.match(text).hasMatch(), qPrintable(text));
        }
        QVERIFY(shown.contains(u"Batal"_s));
        QVERIFY(shown.contains(folders && !files ? u"&Pilih"_s : u"&Buka"_s));
        QVERIFY(shown.contains(u"Komputer"_s));
        if (detail)
            QVERIFY(shown.contains(u"Tanggal Diubah"_s));
    }
};

PONDSILL_TEST(ItemOpenPanelTest)
#include "item_open_panel_test.moc"
