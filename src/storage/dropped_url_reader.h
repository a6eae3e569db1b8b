#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

class QMimeData;

// What a drop from another program names: local files only. A file URL counts when its
// host is empty or "localhost"; plain text counts when it is an absolute path or such a
// URL. Paths come back cleaned; everything else is refused.
namespace DroppedURLReader {

std::optional<QUrl> fileURL(const QUrl& url);
std::optional<QUrl> fileURLFromText(const QString& text);
// The URL list when the drop has one, else its plain text.
QList<QUrl> read(const QMimeData& data);

} // namespace DroppedURLReader
