// The shelf links the room made itself. Only those it made may simply go: any other link
// on the shelf is one of the user's, returned or put in the Trash like any item.
#include "storage/storage_manager.h"

#include "platform/file_operations.h"
#include "storage/item_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using ItemPaths::joined;

namespace {

// {"links":[{"name":…,"text":…,"inode":"…","changed":"…"}]}; the numbers as text, since
// they do not fit a double.
std::optional<QList<StorageManager::ShelfLink>> decodeShelfLinks(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !document.object().value(QStringLiteral("links")).isArray())
        return std::nullopt;
    QList<StorageManager::ShelfLink> links;
    for (const QJsonValue& value : document.object().value(QStringLiteral("links")).toArray()) {
        const QJsonObject link = value.toObject();
        bool inodeOk = false;
        bool changedOk = false;
        StorageManager::ShelfLink record{
            link.value(QStringLiteral("name")).toString(),
            link.value(QStringLiteral("text")).toString().toUtf8(),
            link.value(QStringLiteral("inode")).toString().toULongLong(&inodeOk),
            link.value(QStringLiteral("changed")).toString().toLongLong(&changedOk)};
        // A record that says less than all of it proves nothing.
        if (inodeOk && changedOk && !record.name.isEmpty() && !record.text.isEmpty())
            links.append(record);
    }
    return links;
}

QByteArray encodeShelfLinks(const QList<StorageManager::ShelfLink>& links)
{
    QJsonArray array;
    for (const StorageManager::ShelfLink& link : links) {
        array.append(QJsonObject{
            {QStringLiteral("name"), link.name},
            {QStringLiteral("text"), QString::fromUtf8(link.text)},
            {QStringLiteral("inode"), QString::number(link.inode)},
            {QStringLiteral("changed"), QString::number(link.changedNs)},
        });
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("links"), array}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

QString StorageManager::shelfLinksFilePath() const
{
    return joined(m_paths.root, QStringLiteral("shelf_links.json"));
}

std::optional<StorageManager::ShelfLink> StorageManager::shelfLinkAt(const QString& path) const
{
    const auto status = FileOperations::entryStatus(path);
    const std::optional<QByteArray> text = FileOperations::readLinkBytes(path);
    if (!status || !status->isSymbolicLink || !text ||
        !ItemPaths::liesDirectlyIn(path, m_paths.bookshelf))
        return std::nullopt;
    return ShelfLink{QFileInfo(path).fileName(), *text, quint64(status->inode), status->changedNs};
}

bool StorageManager::isRoomLink(const QString& path) const
{
    // The very entry the room made: its name, its text, and the same inode unchanged since
    // (a link the user made afresh in its place is another entry, even with the same text).
    const std::optional<ShelfLink> link = shelfLinkAt(path);
    if (!link)
        return false;
    const auto known = m_shelfLinkByName.constFind(link->name);
    return known != m_shelfLinkByName.constEnd() && *known == *link;
}

bool StorageManager::looksLikeOlderRoomLink(const QString& path)
{
    // What the room went by before it kept a record: an absolute link whose item records
    // that very path as its origin. A user's link to a shelved item looks the same, so such
    // a link is never deleted on this alone.
    const std::optional<QString> text = FileOperations::readLink(path);
    if (!text || !QDir::isAbsolutePath(*text))
        return false;
    const std::optional<QString> origin = readOriginAttribute(QUrl::fromLocalFile(path));
    return origin && QDir::cleanPath(*origin) == QDir::cleanPath(*text);
}

void StorageManager::noteShelfLink(const QString& path)
{
    noteShelfLinks({path});
    saveShelfLinks();
}

void StorageManager::noteShelfLinks(const QStringList& paths)
{
    QList<ShelfLink> made;
    QSet<QString> names;
    for (const QString& path : paths) {
        if (const std::optional<ShelfLink> link = shelfLinkAt(path)) {
            made.append(*link);
            names.insert(link->name);
        }
    }
    m_shelfLinks.removeIf([&names](const ShelfLink& known) { return names.contains(known.name); });
    m_shelfLinks.append(made);
    for (const ShelfLink& link : std::as_const(made))
        m_shelfLinkByName.insert(link.name, link);
}

void StorageManager::forgetShelfLink(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    m_shelfLinkByName.remove(name);
    if (m_shelfLinks.removeIf([&name](const ShelfLink& known) { return known.name == name; }) > 0)
        saveShelfLinks();
}

void StorageManager::loadShelfLinks()
{
    const JsonFile::ReadResult file = JsonFile::read(shelfLinksFilePath());
    if (file.status != JsonFile::ReadStatus::Read)
        return;
    const std::optional<QList<ShelfLink>> links = decodeShelfLinks(file.bytes);
    if (!links)
        return; // set aside by the next save
    // Only links that still stand as they were made stay on record.
    QList<ShelfLink> standing;
    for (const ShelfLink& link : *links) {
        if (shelfLinkAt(joined(m_paths.bookshelf, link.name)) == std::optional(link))
            standing.append(link);
    }
    m_shelfLinks = standing;
    m_shelfLinkByName.clear();
    for (const ShelfLink& link : std::as_const(standing))
        m_shelfLinkByName.insert(link.name, link);
    if (standing.size() != links->size())
        saveShelfLinks();
}

void StorageManager::saveShelfLinks()
{
    if (m_held > 0) {
        m_shelfLinksSaveDue = true;
        return;
    }
    ++m_workCounts.shelfLinkSaves;
    m_writer.write(shelfLinksFilePath(), encodeShelfLinks(m_shelfLinks),
                   [](const QByteArray& bytes) { return decodeShelfLinks(bytes).has_value(); }, {});
}
