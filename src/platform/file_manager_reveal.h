#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <functional>

// Shows items selected in the user's file manager: org.freedesktop.FileManager1.ShowItems
// on the session bus; where no file manager answers, the first item's folder is opened in
// the default folder application instead.
class FileManagerReveal : public QObject {
    Q_OBJECT
public:
    // Opens a folder; true when something was started to show it.
    using FolderOpener = std::function<bool(const QString& folder)>;

    static const QString serviceName;
    static const QString objectPath;

    explicit FileManagerReveal(const QDBusConnection& bus, FolderOpener openFolder = {},
                               QObject* parent = nullptr);

    static FileManagerReveal& shared();

    // `path` with its links resolved, so the file manager selects the real entry; a path
    // that does not resolve (a dangling link, a vanished file) is kept as given.
    static QString resolvedPath(const QString& path);

    // Returns at once; the file manager's answer (or its silence) is handled later.
    virtual void showItems(const QStringList& paths);

Q_SIGNALS:
    // Emitted when the request has been handled one way or the other.
    void finished(bool fileManagerAnswered);

private:
    QDBusConnection m_bus;
    FolderOpener m_openFolder;
};
