#include "platform/file_manager_reveal.h"

#include "platform/default_application.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

const QString FileManagerReveal::serviceName = QStringLiteral("org.freedesktop.FileManager1");
const QString FileManagerReveal::objectPath = QStringLiteral("/org/freedesktop/FileManager1");

namespace {
// Starting a file manager through bus activation can take a few seconds.
constexpr int kCallTimeoutMs = 10000;
} // namespace

FileManagerReveal::FileManagerReveal(const QDBusConnection& bus, FolderOpener openFolder,
                                     QObject* parent)
    : QObject(parent), m_bus(bus),
      m_openFolder(openFolder ? std::move(openFolder) : &DefaultApplication::open)
{
}

FileManagerReveal& FileManagerReveal::shared()
{
    static FileManagerReveal* instance =
        new FileManagerReveal(QDBusConnection::sessionBus(), {}, QCoreApplication::instance());
    return *instance;
}

QString FileManagerReveal::resolvedPath(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

void FileManagerReveal::showItems(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString folder = QFileInfo(QDir::cleanPath(paths.first())).absolutePath();
    if (!m_bus.isConnected()) {
        m_openFolder(folder);
        Q_EMIT finished(false);
        return;
    }
    QStringList uris;
    for (const QString& path : paths)
        uris.append(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName,
                                                       QStringLiteral("ShowItems"));
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const bool answered = !done->isError();
                if (!answered)
                    m_openFolder(folder);
                Q_EMIT finished(answered);
            });
}
