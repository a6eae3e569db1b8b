#include "platform/default_application.h"

#include <QUrl>

#include <gio/gio.h>

namespace DefaultApplication {
bool open(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    GError* error = nullptr;
    const bool started = g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
    if (error)
        g_error_free(error);
    return started;
}
} // namespace DefaultApplication
