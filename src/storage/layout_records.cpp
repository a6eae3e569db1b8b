#include "storage/layout_records.h"

#include "storage/json_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <initializer_list>

namespace {

QJsonObject parseObject(const QByteArray& json, bool* ok)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    *ok = error.error == QJsonParseError::NoError && document.isObject();
    return document.object();
}

// Every named member must be a number.
bool readNumbers(const QJsonValue& value,
                 std::initializer_list<std::pair<const char16_t*, double*>> fields)
{
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    for (const auto& [name, field] : fields) {
        const QJsonValue number = object.value(QStringView(name));
        if (!number.isDouble())
            return false;
        *field = number.toDouble();
    }
    return true;
}

bool allFinite(std::initializer_list<double> values)
{
    for (double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

std::optional<StoredPosition> decodePosition(const QJsonValue& value)
{
    StoredPosition position;
    if (!readNumbers(value, {{u"x", &position.x}, {u"y", &position.y}}))
        return std::nullopt;
    return position;
}

std::optional<QJsonObject> encodePosition(const StoredPosition& position)
{
    if (!allFinite({position.x, position.y}))
        return std::nullopt;
    return QJsonObject{{QStringLiteral("x"), position.x}, {QStringLiteral("y"), position.y}};
}

// A slot number as a decimal integer, optionally signed, nothing else around it.
std::optional<int> slotFromKey(const QString& key)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(key).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int slot = key.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return slot;
}

} // namespace

std::optional<FloorLayoutData> decodeFloorLayout(const QByteArray& json)
{
    bool ok = false;
    const QJsonObject object = parseObject(json, &ok);
    if (!ok)
        return std::nullopt;
    FloorLayoutData layout;
    const std::optional<StoredPosition> carpet = decodePosition(object.value(u"carpetPosition"));
    const QJsonValue items = object.value(u"itemPositions");
    if (!carpet || !items.isObject())
        return std::nullopt;
    layout.carpetPosition = *carpet;
    const QJsonObject itemObject = items.toObject();
    for (auto it = itemObject.begin(); it != itemObject.end(); ++it) {
        const std::optional<StoredPosition> position = decodePosition(it.value());
        if (!position)
            return std::nullopt;
        layout.itemPositions.insert(it.key(), *position);
    }
    return layout;
}

std::optional<PhotoTransforms> decodePhotoTransforms(const QByteArray& json)
{
    bool ok = false;
    const QJsonObject object = parseObject(json, &ok);
    if (!ok)
        return std::nullopt;
    PhotoTransforms transforms;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::optional<int> slot = slotFromKey(it.key());
        PhotoTransform transform;
        if (!slot || !readNumbers(it.value(), {{u"scale", &transform.scale},
                                               {u"rotation", &transform.rotation},
                                               {u"offsetX", &transform.offsetX},
                                               {u"offsetY", &transform.offsetY}}))
            return std::nullopt;
        transforms.insert(*slot, transform);
    }
    return transforms;
}

std::optional<QByteArray> encodeFloorLayout(const FloorLayoutData& layout)
{
    const std::optional<QJsonObject> carpet = encodePosition(layout.carpetPosition);
    if (!carpet)
        return std::nullopt;
    QJsonObject items;
    for (auto it = layout.itemPositions.begin(); it != layout.itemPositions.end(); ++it) {
        const std::optional<QJsonObject> position = encodePosition(it.value());
        if (!position)
            return std::nullopt;
        items.insert(it.key(), *position);
    }
    return JsonFile::compact(QJsonDocument(QJsonObject{{QStringLiteral("carpetPosition"), *carpet},
                                                       {QStringLiteral("itemPositions"), items}}));
}

std::optional<QByteArray> encodePhotoTransforms(const PhotoTransforms& transforms)
{
    QJsonObject object;
    for (auto it = transforms.begin(); it != transforms.end(); ++it) {
        const PhotoTransform& t = it.value();
        if (!allFinite({t.scale, t.rotation, t.offsetX, t.offsetY}))
            return std::nullopt;
        object.insert(QString::number(it.key()),
                      QJsonObject{{QStringLiteral("scale"), t.scale},
                                  {QStringLiteral("rotation"), t.rotation},
                                  {QStringLiteral("offsetX"), t.offsetX},
                                  {QStringLiteral("offsetY"), t.offsetY}});
    }
    return JsonFile::compact(QJsonDocument(object));
}
