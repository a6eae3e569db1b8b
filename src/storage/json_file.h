#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <functional>
#include <optional>

// The room's three JSON files: read whole, written whole and atomically, and never
// written over while they hold something that could not be read back.
namespace JsonFile {

// Compact text as the room has always written it (a slash in a string as "\/").
QByteArray compact(const QJsonDocument& document);

enum class ReadStatus { Missing, Unreadable, Read };
struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QByteArray bytes;
};
ReadResult read(const QString& path);

// Whether some bytes decode as the file's content.
using Validator = std::function<bool(const QByteArray&)>;

// Replaces the file at `path` with `bytes` in one step. When the file there now holds
// something `decodes` refuses, it is first copied aside (setAside); if that fails,
// nothing is written. False when the file was not written.
bool write(const QString& path, const QByteArray& bytes, const Validator& decodes);

// Copies the file to a name beside it that carries the time, such as
// "notes.damaged-20240501-093000.json". The copy's path, or nothing on failure.
std::optional<QString> setAside(const QString& path);

} // namespace JsonFile
