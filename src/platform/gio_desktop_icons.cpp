#include "platform/gio_desktop_icons.h"

#include <QFile>

#include <gio/gio.h>

namespace {
const char kPositionAttribute[] = "metadata::nautilus-icon-position";

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

QList<GioDesktopIcons::Switch> GioDesktopIcons::knownSwitches()
{
    // GNOME's own "show-desktop-icons" is left out: current GNOME ignores it, and its
    // default would read as icons hidden on every GNOME desktop.
    return {
        {QStringLiteral("org.nemo.desktop"), QStringLiteral("show-desktop-icons")},
        {QStringLiteral("org.mate.background"), QStringLiteral("show-desktop-icons")},
    };
}

GioDesktopIcons::GioDesktopIcons(const QString& desktopFolder, const QList<Switch>& switches,
                                 const QString& schemaDirectory)
    : m_folder(desktopFolder)
{
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
         kPositionAttribute)
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
        const char* position = g_file_info_get_attribute_string(info, kPositionAttribute);
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
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    const QByteArray path = QFile::encodeName(m_folder + QLatin1Char('/') + name);
    GFile* file = g_file_new_for_path(path.constData());
    if (!g_file_query_exists(file, nullptr)) {
        g_object_unref(file);
        return false;
    }
    const QByteArray value =
        QByteArray::number(position.x()) + ',' + QByteArray::number(position.y());
    const bool moved =
        g_file_set_attribute_string(file, kPositionAttribute, value.constData(),
                                    G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
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
