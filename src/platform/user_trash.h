#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class FolderWatcher;
class QThreadPool;

// The user's home Trash as the room shows it: how many items it holds (kept current by a
// watcher on its files folder), opening it in the file manager, and emptying it. Items go
// into it through FreedesktopTrash.
class UserTrash : public QObject {
    Q_OBJECT
    Q_PROPERTY(int itemCount READ itemCount NOTIFY itemCountChanged)
public:
    // `trashPath` is the Trash folder (holding files/ and info/); empty means the home
    // trash under the XDG data home.
    explicit UserTrash(const QString& trashPath = {}, QObject* parent = nullptr);
    ~UserTrash() override;

    static UserTrash& shared();

    QString path() const { return m_path; }
    QString filesPath() const;

    // The entries of files/ without hidden names, a dangling link and a name that is no
    // valid UTF-8 counted; 0 when there is
    // no Trash yet or it cannot be listed. Read once per change, not per call.
    int itemCount() const { return m_itemCount; }
    // False while files/ is there but cannot be listed: the count then says nothing.
    bool isReadable() const { return !m_listFailed; }
    // How many items the last emptying had to leave, while the Trash still holds some.
    int leftByEmptying() const { return m_leftByEmptying; }
    // Counts again now (the watcher does it by itself a moment after a change).
    void refresh();

    // Shows the Trash: trash:/// with its handler when GIO knows one, else the files
    // folder in the default file manager, made first when there is no Trash yet. True
    // when a program was started.
    bool open() const;

    // Removes everything in the Trash on a worker thread, links as links (what they point
    // to stays), each item's info file after the item, then the cached folder sizes. A
    // folder thrown away without the owner's read, write or search right gets it first.
    // emptied() reports the end; the count follows. What could not go is printed.
    void empty();
    bool isEmptying() const { return m_emptying; }

    struct EmptyResult {
        int removed = 0;
        int failed = 0;
        QStringList failures; // per item left: its name and why
    };
    // The work of empty(), run on the calling thread.
    static EmptyResult emptyFolder(const QString& trashPath);
    // The count of itemCount(); `listed` says whether files/ could be read (a missing
    // Trash reads as listed and empty).
    static int countItems(const QString& filesPath, bool* listed = nullptr);

Q_SIGNALS:
    // The count changed, or whether the Trash can be read.
    void itemCountChanged(int count);
    void emptied(int removed, int failed);

private:
    QString m_path;
    int m_itemCount = 0;
    int m_leftByEmptying = 0;
    bool m_listFailed = false;
    bool m_emptying = false;
    FolderWatcher* m_watcher = nullptr;
    QThreadPool* m_worker = nullptr;
};
