#include "bookshelf/shelf_listing.h"

#include "bookshelf/shelf_metrics.h"
#include "kit/colors.h"
#include "kit/formats.h"
#include "platform/file_operations.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

namespace ShelfListing {
namespace {
// The extension as the room reads it: after the last dot, none for a dot-file.
QString extension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}
} // namespace

std::optional<QDateTime> modificationTime(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000;
    return QDateTime::fromMSecsSinceEpoch(ms);
}

QList<QUrl> newestFirst(const QList<QUrl>& urls)
{
    struct Keyed {
        qint64 time; // milliseconds; the least value when unknown
        QUrl url;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(urls.size()));
    for (const QUrl& url : urls) {
        const std::optional<QDateTime> t = modificationTime(url.toLocalFile());
        keyed.push_back({t ? t->toMSecsSinceEpoch() : std::numeric_limits<qint64>::min(), url});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed& a, const Keyed& b) { return a.time > b.time; });
    QList<QUrl> sorted;
    sorted.reserve(urls.size());
    for (const Keyed& k : keyed)
        sorted.append(k.url);
    return sorted;
}

QList<QUrl> folderContents(const QString& folder, bool* readable)
{
    const std::optional<QStringList> names = FileOperations::listEntries(folder, false);
    if (readable)
        *readable = names.has_value();
    if (!names)
        return {};
    QList<QUrl> urls;
    for (const QString& name : *names)
        urls.append(QUrl::fromLocalFile(folder + QLatin1Char('/') + name));
    return newestFirst(urls);
}

bool isApplication(const QString& name)
{
    return extension(name).compare(u"app", Qt::CaseInsensitive) == 0;
}

QString kind(const QString& name)
{
    const QString ext = extension(name).toUpper();
    if (ext.isEmpty())
        return QStringLiteral("Dokumen");
    if (ext == u"APP")
        return QStringLiteral("Aplikasi");
    return ext;
}

QString drawerSubtitle(const QString& path)
{
    if (ShelfMetrics::isFolderItem(path)) {
        const std::optional<int> count = ShelfMetrics::folderEntries(path);
        return QStringLiteral("Kardus Arsip • ") +
               (count ? QStringLiteral("%1 file").arg(*count) : Formats::unreadableContents());
    }
    return QStringLiteral("Buku • ") + kind(QFileInfo(path).fileName()) + QStringLiteral(" • ") +
           Formats::byteCount(ShelfMetrics::itemSize(path));
}

QString drawerRelativeDate(const QString& path, const QDateTime& now)
{
    const std::optional<QDateTime> t = modificationTime(path);
    return t ? Formats::relativeTime(*t, now) : QStringLiteral("Baru saja");
}

QString fileCardSizeLine(const QString& path)
{
    return Formats::byteCount(ShelfMetrics::itemSize(path)) + QStringLiteral(" • Buku / File");
}

QList<DrawerLine> drawerLines(const QList<QUrl>& urls, const QDateTime& now)
{
    QList<DrawerLine> lines;
    lines.reserve(urls.size());
    for (const QUrl& url : newestFirst(urls)) {
        DrawerLine line;
        line.url = url;
        const QString path = url.toLocalFile();
        line.name = QFileInfo(path).fileName();
        line.isFolder = ShelfMetrics::isFolderItem(path);
        line.isApp = !line.isFolder && isApplication(line.name);
        line.subtitle = drawerSubtitle(path);
        line.time = drawerRelativeDate(path, now);
        lines.append(std::move(line));
    }
    return lines;
}

Icon iconFor(const QString& name)
{
    using Colors::System;
    const QString ext = extension(name).toLower();
    struct Group {
        std::initializer_list<const char*> extensions;
        const char* symbol;
        System color;
    };
    static const Group groups[] = {
        {{"png", "jpg", "jpeg", "heic", "gif", "webp", "tiff", "svg"}, "photo", System::Teal},
        {{"mp4", "mov", "mkv", "avi", "m4v"}, "film", System::Purple},
        {{"mp3", "wav", "m4a", "flac", "aac"}, "music.note", System::Pink},
        {{"zip", "rar", "tar", "gz", "7z"}, "archivebox.fill", System::Orange},
        {{"pdf"}, "doc.richtext.fill", System::Red},
    };
    for (const Group& g : groups) {
        for (const char* e : g.extensions) {
            if (ext == QLatin1String(e))
                return {QString::fromLatin1(g.symbol), Colors::system(g.color)};
        }
    }
    return {QStringLiteral("doc.text"), Colors::secondaryLabel()};
}

} // namespace ShelfListing
