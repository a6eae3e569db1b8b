#include "storage/json_file.h"

#include "platform/file_operations.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace JsonFile {

QByteArray compact(const QJsonDocument& document)
{
    // In compact JSON a slash can only stand inside a string.
    QByteArray text = document.toJson(QJsonDocument::Compact);
    text.replace("/", "\\/");
    return text;
}

ReadResult read(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {FileOperations::entryExists(path) ? ReadStatus::Unreadable : ReadStatus::Missing,
                {}};
    if (!file.open(QIODevice::ReadOnly))
        return {ReadStatus::Unreadable, {}};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {ReadStatus::Unreadable, {}};
    return {ReadStatus::Read, bytes};
}

bool write(const QString& path, const QByteArray& bytes, const Validator& decodes)
{
    const ReadResult current = read(path);
    if (current.status == ReadStatus::Unreadable)
        return false;
    if (current.status == ReadStatus::Read && decodes && !decodes(current.bytes)) {
        if (!setAside(path))
            return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QString> setAside(const QString& path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString stem = info.completeBaseName() + QStringLiteral(".damaged-") + stamp;
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = info.absolutePath() + QLatin1Char('/') + stem +
                                  (n == 0 ? QString() : QStringLiteral("-%1").arg(n)) + suffix;
        if (FileOperations::entryExists(candidate))
            continue;
        if (QFile::copy(path, candidate))
            return candidate;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace JsonFile
