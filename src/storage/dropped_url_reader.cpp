#include "storage/dropped_url_reader.h"

#include <QDir>
#include <QMimeData>

namespace DroppedURLReader {

std::optional<QUrl> fileURL(const QUrl& url)
{
    if (!url.isValid() || url.scheme() != u"file")
        return std::nullopt;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString path = url.path(QUrl::FullyDecoded);
    if (!QDir::isAbsolutePath(path) || path.contains(QChar(0)))
        return std::nullopt;
    return QUrl::fromLocalFile(QDir::cleanPath(path));
}

std::optional<QUrl> fileURLFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    // One item only: several lines are not one path.
    if (trimmed.isEmpty() || trimmed.contains(QLatin1Char('\n')) ||
        trimmed.contains(QLatin1Char('\r')))
        return std::nullopt;
    if (trimmed.startsWith(u"file://"))
        return fileURL(QUrl(trimmed, QUrl::StrictMode));
    if (!trimmed.startsWith(QLatin1Char('/')) || trimmed.contains(QChar(0)))
        return std::nullopt;
    return QUrl::fromLocalFile(QDir::cleanPath(trimmed));
}

QList<QUrl> read(const QMimeData& data)
{
    QList<QUrl> accepted;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (const std::optional<QUrl> file = fileURL(url))
                accepted.append(*file);
        }
        if (!accepted.isEmpty())
            return accepted;
    }
    if (data.hasText()) {
        if (const std::optional<QUrl> file = fileURLFromText(data.text()))
            accepted.append(*file);
    }
    return accepted;
}

} // namespace DroppedURLReader
