#include "platform/gio_desktop_icons.h"

#include <QFile>
#include <QProcessEnvironment>

#include <gio/gio.h>

namespace {
std::optional<QPoint> parsePosition(const char* text)
{
    const QList<QByteArray> parts = QByteArray(text).split(',');
    if (parts.size() != 2)
        return std::nullopt;
    bool xOk = false;
    bool yOk = false;
    const int x = parts[0].trimmed().toInt(&xOk);
    const int y = parts[1].trimmed().toInt(&yOk);
    if (!xOk || !yOk)
        return std::nullopt;
    return QPoint(x, y);
}

QString takeMessage(GError* error)
{
    const QString message = QString::fromUtf8(error ? error->message : "unknown error");
    if (error)
        g_error_free(error);
    return message;
}
} // namespace

QList<GioDesktopIcons::Desktop> GioDesktopIcons::knownDesktops()
{
    // GNOME is not among them: its file manager no longer draws the desktop.
    return {
        {QStringLiteral("Cinnamon"),
         QByteArrayLiteral("metadata::nemo-icon-position"),
         {QStringLiteral("org.nemo.desktop"), QStringLiteral("show-desktop-icons")}},
        {QStringLiteral("MATE"),
         QByteArrayLiteral("metadata::caja-icon-position"),
         {QStringLiteral("org.mate.background"), QStringLiteral("show-desktop-icons")}},
    };
}

std::optional<GioDesktopIcons::Desktop> GioDesktopIcons::desktopNamed(const QStringList& names)
{
    const QList<Desktop> desktops = knownDesktops();
    for (QString name : names) {
        name = name.trimmed();
        if (name.startsWith(QLatin1String("X-"), Qt::CaseInsensitive))
            name = name.mid(2);
        for (const Desktop& desktop : desktops) {
            // Session names carry variants ("cinnamon2d", "cinnamon-wayland").
            if (name.startsWith(desktop.name, Qt::CaseInsensitive))
                return desktop;
        }
    }
    return std::nullopt;
}

std::optional<GioDesktopIcons::Desktop> GioDesktopIcons::runningDesktop()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QStringList names = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
                            .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    names << environment.value(QStringLiteral("XDG_SESSION_DESKTOP"))
          << environment.value(QStringLiteral("DESKTOP_SESSION"));
    names.removeAll(QString());
    return desktopNamed(names);
}

GioDesktopIcons::GioDesktopIcons(const QString& desktopFolder,
                                 const std::optional<Desktop>& desktop,
                                 const QString& schemaDirectory)
    : m_folder(desktopFolder)
{
    QList<Switch> switches;
    if (desktop) {
        m_positionAttribute = desktop->positionAttribute;
        switches.append(desktop->iconSwitch);
    } else {
        for (const Desktop& known : knownDesktops())
            switches.append(known.iconSwitch);
    }
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source)
        g_settings_schema_source_ref(source);
    if (!schemaDirectory.isEmpty()) {
        GSettingsSchemaSource* extra = g_settings_schema_source_new_from_directory(
            QFile::encodeName(schemaDirectory).constData(), source, FALSE, nullptr);
        if (extra) {
            if (source)
                g_settings_schema_source_unref(source);
            source = extra;
        }
    }
    if (!source)
        return;
    for (const Switch& candidate : switches) {
        GSettingsSchema* schema =
            g_settings_schema_source_lookup(source, candidate.schema.toUtf8().constData(), TRUE);
        if (!schema)
            continue;
        const QByteArray key = candidate.key.toUtf8();
        bool usable = false;
        if (g_settings_schema_has_key(schema, key.constData())) {
            GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, key.constData());
            usable = g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey),
                                          G_VARIANT_TYPE_BOOLEAN);
            g_settings_schema_key_unref(schemaKey);
        }
        if (usable) {
            m_settings = g_settings_new_full(schema, nullptr, nullptr);
            m_key = key;
        }
        g_settings_schema_unref(schema);
        if (m_settings)
            break;
    }
    g_settings_schema_source_unref(source);
}

GioDesktopIcons::~GioDesktopIcons()
{
    if (m_settings)
        g_object_unref(m_settings);
}

std::optional<QList<DesktopIcon>> GioDesktopIcons::icons(QString* error)
{
    if (m_positionAttribute.isEmpty()) {
        if (error) {
            *error = QStringLiteral("this desktop keeps no icon places the room can move "
                                    "(Cinnamon and MATE do)");
        }
        return std::nullopt;
    }
    GFile* folder = g_file_new_for_path(QFile::encodeName(m_folder).constData());
    GError* failure = nullptr;
    // Positions live in the metadata store; where there is none, nothing can be moved.
    GFileAttributeInfoList* namespaces =
        g_file_query_writable_namespaces(folder, nullptr, &failure);
    const bool hasMetadata =
        namespaces && g_file_attribute_info_list_lookup(namespaces, "metadata") != nullptr;
    if (namespaces)
        g_file_attribute_info_list_unref(namespaces);
    if (!hasMetadata) {
        const QString reason =
            failure ? takeMessage(failure) : QStringLiteral("the desktop keeps no icon positions");
        g_object_unref(folder);
        if (error)
            *error = reason;
        return std::nullopt;
    }

    GFileEnumerator* entries = g_file_enumerate_children(
        folder,
        (QByteArray(G_FILE_ATTRIBUTE_STANDARD_NAME "," G_FILE_ATTRIBUTE_STANDARD_IS_HIDDEN ",") +
         m_positionAttribute)
            .constData(),
        G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &failure);
    g_object_unref(folder);
    if (!entries) {
        const QString reason = takeMessage(failure);
        if (error)
            *error = reason;
        return std::nullopt;
    }
    QList<DesktopIcon> result;
    while (GFileInfo* info = g_file_enumerator_next_file(entries, nullptr, nullptr)) {
        const char* position =
            g_file_info_get_attribute_string(info, m_positionAttribute.constData());
        if (position && !g_file_info_get_is_hidden(info)) {
            if (const std::optional<QPoint> point = parsePosition(position))
                result.append({QFile::decodeName(g_file_info_get_name(info)), *point});
        }
        g_object_unref(info);
    }
    g_object_unref(entries);
    return result;
}

bool GioDesktopIcons::moveIcon(const QString& name, const QPoint& position)
{
    if (m_positionAttribute.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    const QByteArray path = QFile::encodeName(m_folder + QLatin1Char('/') + name);
    GFile* file = g_file_new_for_path(path.constData());
    const QByteArray value =
        QByteArray::number(position.x()) + ',' + QByteArray::number(position.y());
    bool moved = false;
    if (g_file_query_exists(file, nullptr) &&
        g_file_set_attribute_string(file, m_positionAttribute.constData(), value.constData(),
                                    G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr)) {
        // A store that takes the write but keeps nothing must not count as moved.
        GFileInfo* info = g_file_query_info(file, m_positionAttribute.constData(),
                                            G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
        if (info) {
            const char* stored =
                g_file_info_get_attribute_string(info, m_positionAttribute.constData());
            moved = stored && value == stored;
            g_object_unref(info);
        }
    }
    g_object_unref(file);
    return moved;
}

std::optional<bool> GioDesktopIcons::iconsShown()
{
    if (!m_settings)
        return std::nullopt;
    return bool(g_settings_get_boolean(m_settings, m_key.constData()));
}

bool GioDesktopIcons::setIconsShown(bool shown)
{
    if (!m_settings || !g_settings_set_boolean(m_settings, m_key.constData(), shown))
        return false;
    g_settings_sync();
    return true;
}
