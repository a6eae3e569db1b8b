#include "kit/icon_theme.h"

#include <QDir>
#include <QIcon>
#include <QStandardPaths>

namespace IconTheme {
void ensureLoaded()
{
    static const bool done = [] {
        const QString adwaita = QStringLiteral("Adwaita");
        QStringList candidates = {QDir::homePath() + QStringLiteral("/.icons")};
        QStringList dataDirs =
            QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
        dataDirs << QStringLiteral("/usr/local/share") << QStringLiteral("/usr/share");
        for (const QString& dir : dataDirs)
            candidates << dir + QStringLiteral("/icons");
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString& icons : candidates) {
            if (!paths.contains(icons) && QDir(icons).exists())
                paths << icons;
        }
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(adwaita);
        if (QIcon::fallbackThemeName().isEmpty() ||
            QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(adwaita);
        return true;
    }();
    Q_UNUSED(done);
}
} // namespace IconTheme
