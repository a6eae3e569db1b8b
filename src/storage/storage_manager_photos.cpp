// The photo frames' album: slot N shows "frame_N.<ext>", and other photos in the album
// fill the free frames in name order.
#include "storage/storage_manager.h"

#include "platform/background_work.h"
#include "platform/file_operations.h"
#include "platform/thumbnails.h"
#include "platform/trash.h"
#include "platform/user_prompts.h"
#include "state/animation.h"
#include "storage/file_name_order.h"
#include "storage/item_paths.h"
#include "storage/report_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <variant>

using ItemPaths::joined;
using ItemPaths::splitExtension;

namespace {
constexpr int kSlotCount = 6;
// The longer side of the picture a frame shows.
constexpr int kThumbnailSize = 500;

bool isAlbumPhoto(const QString& extension)
{
    return StorageManager::photoExtensions().contains(extension.toLower());
}

// A file of one of the room's photo types, by its extension or, without one, by what its
// header says. Only the header is read: whether the picture itself decodes is told by
// decoding it.
bool isPhotoType(const QString& picture, const QString& extension)
{
    if (!extension.isEmpty() && !isAlbumPhoto(extension))
        return false;
    QImageReader reader(picture);
    return reader.canRead() && isAlbumPhoto(QString::fromLatin1(reader.format()));
}

enum class FrameName { NotAFrame, OutOfRange };

// The slot a frame file's stem names: "frame_" then, after the last "_", a whole number
// with an optional sign. A number no slot can hold names no frame that shows.
std::variant<int, FrameName> frameSlot(const QString& stem)
{
    if (!stem.startsWith(QLatin1String("frame_")))
        return FrameName::NotAFrame;
    const QString piece = stem.mid(stem.lastIndexOf(QLatin1Char('_')) + 1);
    const qsizetype digitsFrom =
        piece.startsWith(QLatin1Char('+')) || piece.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (piece.size() <= digitsFrom)
        return FrameName::NotAFrame;
    for (qsizetype i = digitsFrom; i < piece.size(); ++i) {
        if (piece[i] < QLatin1Char('0') || piece[i] > QLatin1Char('9'))
            return FrameName::NotAFrame;
    }
    bool ok = false;
    const qlonglong number = piece.toLongLong(&ok);
    if (!ok)
        return FrameName::NotAFrame;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return FrameName::OutOfRange;
    return int(number);
}

void reportPhotoFailure(const QString& cause)
{
    printReportLine(QStringLiteral("Gagal menyimpan foto: ") + cause);
}

void reportPhotoFailure(int error)
{
    reportPhotoFailure(FileOperations::Result{error}.message());
}

// Why a picture is not framed, as the user is told.
QString pictureFailureText(Thumbnails::Failure failure)
{
    switch (failure) {
    case Thumbnails::Failure::TooLarge:
        return QStringLiteral("gambar terlalu besar untuk dibuka");
    case Thumbnails::Failure::Damaged:
        return QStringLiteral("file rusak atau terpotong");
    case Thumbnails::Failure::None:
    case Thumbnails::Failure::NotAPicture:
        break;
    }
    return QStringLiteral("bukan gambar yang dapat dibaca");
}
} // namespace

void StorageManager::loadPhotoSlots()
{
    std::optional<QStringList> names = FileOperations::listEntries(m_paths.album, false);
    if (!names && !FileOperations::exists(m_paths.album)) {
        // Deleted or moved away while the room runs: the photos went with it, and the album
        // is made again as at start.
        FileOperations::makeDirectory(m_paths.album);
        names = FileOperations::listEntries(m_paths.album, false);
    }
    // An album that cannot be read shows no photo, as at start: the frames never show
    // photos that may be gone.
    PhotoSlots slots;
    QList<std::pair<FileNameOrder::Key, QString>> loose;
    for (const QString& name : names.value_or(QStringList())) {
        const auto [stem, extension] = splitExtension(name);
        if (!isAlbumPhoto(extension))
            continue;
        const std::variant<int, FrameName> slot = frameSlot(stem);
        if (const int* number = std::get_if<int>(&slot))
            slots.insert(*number, QUrl::fromLocalFile(joined(m_paths.album, name)));
        else if (std::get<FrameName>(slot) == FrameName::NotAFrame)
            loose.append({FileNameOrder::key(name), name});
    }
    std::sort(loose.begin(), loose.end());
    auto next = loose.cbegin();
    for (int slot = 0; slot < kSlotCount && next != loose.cend(); ++slot) {
        if (slots.contains(slot))
            continue;
        slots.insert(slot, QUrl::fromLocalFile(joined(m_paths.album, next->second)));
        ++next;
    }
    setPhotoSlots(slots);

    // Each framed photo's thumbnail: the one at hand while the file is unchanged, else a
    // new one from a worker thread.
    QSet<QString> framed;
    for (const QUrl& url : std::as_const(slots)) {
        const QString path = url.toLocalFile();
        framed.insert(path);
        const std::optional<FileOperations::EntryStatus> status =
            FileOperations::resolvedStatus(path);
        if (!status) {
            m_thumbnails.remove(path);
            continue;
        }
        const auto kept = m_thumbnails.constFind(path);
        if (kept != m_thumbnails.cend() && kept->status.sameVersion(*status))
            continue;
        m_thumbnails.remove(path);
        decodeThumbnail(path, *status);
    }
    for (auto it = m_thumbnails.begin(); it != m_thumbnails.end();)
        it = framed.contains(it.key()) ? std::next(it) : m_thumbnails.erase(it);
    publishThumbnails();
}

void StorageManager::decodeThumbnail(const QString& path, const FileOperations::EntryStatus& status)
{
    const auto running = m_decoding.constFind(path);
    if (running != m_decoding.cend() && running->sameVersion(status))
        return;
    m_decoding.insert(path, status);
    // Scaled while it is read: a 12-megapixel photo is never decoded whole.
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, path, status] {
        watcher->deleteLater();
        const auto current = m_decoding.constFind(path);
        // A newer decoding of the same path has taken over.
        if (current == m_decoding.cend() || !current->sameVersion(status))
            return;
        m_decoding.remove(path);
        const std::optional<FileOperations::EntryStatus> now = FileOperations::resolvedStatus(path);
        if (!now || !now->sameVersion(status))
            return; // changed while it was read: the folder event brings it again
        m_thumbnails.insert(path, Thumbnail{status, watcher->result()});
        publishThumbnails();
    });
    watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [url = QUrl::fromLocalFile(path)] {
        return loadThumbnail(url, kThumbnailSize);
    }));
}

void StorageManager::publishThumbnails()
{
    CachedPhotos thumbnails;
    for (auto slot = photoSlots().cbegin(); slot != photoSlots().cend(); ++slot) {
        const auto kept = m_thumbnails.constFind(slot.value().toLocalFile());
        // A file that is no picture holds its frame without a thumbnail.
        if (kept != m_thumbnails.cend() && !kept->image.isNull())
            thumbnails.insert(slot.key(), kept->image);
    }
    // The same pictures again are not news (comparing the images' identities, not pixels).
    const CachedPhotos& shown = cachedPhotos();
    bool same = shown.size() == thumbnails.size();
    for (auto it = thumbnails.cbegin(); same && it != thumbnails.cend(); ++it)
        same = shown.contains(it.key()) && shown.value(it.key()).cacheKey() == it->cacheKey();
    if (!same)
        setCachedPhotos(thumbnails);
}

void StorageManager::setPhoto(const QUrl& image, int slot, const MoveCompletion& done)
{
    const QString source = QDir::cleanPath(image.toLocalFile());
    const auto refuse = [&done](int error) {
        reportPhotoFailure(error);
        notify(done, false);
    };
    if (isInFlight(source)) {
        notify(done, false);
        return;
    }
    // The frame's own photo dropped on it again.
    const QUrl current = photoSlots().value(slot);
    if (!current.isEmpty() && FileOperations::isSameFile(source, current.toLocalFile())) {
        notify(done, true);
        return;
    }
    // The picture itself, also when the user hands over a link to it.
    const QString picture = QFileInfo(source).canonicalFilePath();
    const std::optional<FileOperations::EntryStatus> status =
        picture.isEmpty() ? std::nullopt : FileOperations::entryStatus(picture);
    if (!status || !status->isRegularFile) {
        // A folder, or a device or pipe that only bears a picture's name.
        if (status && !status->isDirectory) {
            reportPhotoFailure(pictureFailureText(Thumbnails::Failure::NotAPicture));
            notify(done, false);
            return;
        }
        refuse(!status ? ENOENT : EISDIR);
        return;
    }
    QString extension = splitExtension(QFileInfo(source).fileName()).extension;
    // A picture the frame could not show is not taken: it stays where it is.
    if (!isPhotoType(picture, extension)) {
        reportPhotoFailure(pictureFailureText(Thumbnails::Failure::NotAPicture));
        notify(done, false);
        return;
    }
    if (extension.isEmpty())
        extension = QStringLiteral("jpg");
    const QString frameName =
        QStringLiteral("frame_") + QString::number(slot) + QLatin1Char('.') + extension;
    // A folder that happens to bear the frame's name is someone's, not a photo to replace.
    if (FileOperations::isDirectory(joined(m_paths.album, frameName))) {
        refuse(EISDIR);
        return;
    }
    // An album removed while the room runs is made again, as the start makes it.
    if (!FileOperations::isDirectory(m_paths.album)) {
        if (const FileOperations::Result made = FileOperations::makeDirectory(m_paths.album);
            !made) {
            refuse(made.error);
            return;
        }
    }

    // The new photo is whole in the album before the old one goes; the hidden name keeps
    // it out of every listing meanwhile. The copy, and the decoding that checks it, run on
    // a worker: a picture of a billion pixels takes seconds to read even scaled down.
    const QString staging =
        joined(m_paths.album, QStringLiteral(".frame_") + QString::number(slot) + QLatin1Char('-') +
                                  QString::number(QRandomGenerator::global()->generate64(), 36));
    const quint64 ticket = ++m_lastFramingTicket;
    m_framing.insert(slot, ticket);
    m_inFlight << source << staging;
    struct Checked {
        FileOperations::Result copied;
        Thumbnails::Decoded decoded;
    };
    const std::optional<Animation> animation = currentAnimation();
    auto* watcher = new QFutureWatcher<Checked>(this);
    connect(watcher, &QFutureWatcher<Checked>::finished, this,
            [this, watcher, source, staging, frameName, slot, ticket, animation, done] {
                watcher->deleteLater();
                m_inFlight.removeOne(source);
                m_inFlight.removeOne(staging);
                const auto namesakes = qScopeGuard([this] { renameNamesakesIfDue(); });
                const Checked checked = watcher->result();
                const bool latest = m_framing.value(slot) == ticket;
                if (latest)
                    m_framing.remove(slot);
                if (!checked.copied || !latest) {
                    FileOperations::removeItem(staging);
                    // A later framing of this frame took over: nothing failed.
                    if (latest)
                        reportPhotoFailure(checked.copied.error);
                    notify(done, false);
                    return;
                }
                // The frame shows the copy decoded at the frame's size, so that is what is
                // checked, before the old photo goes: a file cut short, damaged data, or a
                // picture whose decoding would not fit the decoders' memory limit (a few KB
                // on disk, billions of pixels) would leave the frame grey or empty and the
                // old photo in the Trash.
                if (checked.decoded.image.isNull() || checked.decoded.damaged) {
                    FileOperations::removeItem(staging);
                    reportPhotoFailure(pictureFailureText(checked.decoded.failure));
                    notify(done, false);
                    return;
                }
                withAnimation(animation, [&] {
                    notify(done, placeFramedPhoto(slot, staging, frameName, checked.decoded.image));
                });
            });
    watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [picture, staging] {
        Checked checked{FileOperations::copyItem(picture, staging), {}};
        if (checked.copied)
            checked.decoded = Thumbnails::read(staging, kThumbnailSize);
        return checked;
    }));
}

bool StorageManager::placeFramedPhoto(int slot, const QString& staging, const QString& frameName,
                                      const QImage& thumbnail)
{
    const QString destination = joined(m_paths.album, frameName);
    // Nothing leaves the frame for a copy that is no longer there (its album removed).
    if (const auto copy = FileOperations::entryStatus(staging); !copy || !copy->isRegularFile) {
        reportPhotoFailure(ENOENT);
        loadPhotoSlots();
        return false;
    }
    if (FileOperations::isDirectory(destination)) {
        FileOperations::removeItem(staging);
        reportPhotoFailure(EISDIR);
        return false;
    }
    // The photos leaving the frame go to the Trash, never deleted: for a photo framed from
    // the floor the album's copy may be the only one outside the Trash. That is the photo
    // the slot shows (a loose album photo too) and earlier photos of this frame under any
    // extension, though only what the frame could show: "frame_2.xcf" or a folder named
    // like a photo stays.
    QStringList leaving;
    if (const QUrl current = photoSlots().value(slot); !current.isEmpty())
        leaving.append(QDir::cleanPath(current.toLocalFile()));
    for (const QString& name :
         FileOperations::listEntries(m_paths.album, false).value_or(QStringList())) {
        const auto [stem, ext] = splitExtension(name);
        const QString path = joined(m_paths.album, name);
        const std::variant<int, FrameName> named = frameSlot(stem);
        if (const int* number = std::get_if<int>(&named);
            number && *number == slot && isAlbumPhoto(ext) && !FileOperations::isDirectory(path))
            leaving.append(path);
    }
    leaving.removeDuplicates();
    for (const QString& path : leaving) {
        if (FileOperations::isDirectory(path) || !FileOperations::entryExists(path) ||
            isInFlight(path))
            continue;
        if (!trash().moveToTrash(path)) {
            FileOperations::removeItem(staging);
            reportPhotoFailure(EIO);
            loadPhotoSlots();
            return false;
        }
    }
    if (const FileOperations::Result placed = FileOperations::renameNoReplace(staging, destination);
        !placed) {
        FileOperations::removeItem(staging);
        reportPhotoFailure(placed.error);
        loadPhotoSlots();
        return false;
    }
    // Decoded once: the frame shows what was checked.
    if (const std::optional<FileOperations::EntryStatus> framed =
            FileOperations::resolvedStatus(destination))
        m_thumbnails.insert(destination, Thumbnail{*framed, thumbnail});
    loadPhotoSlots();
    return true;
}

void StorageManager::choosePhoto(int slot)
{
    if (!m_prompts)
        return;
    UserPrompts::OpenPanel panel;
    panel.title = QStringLiteral("Pilih Foto untuk Bingkai #") + QString::number(slot + 1);
    panel.imagesOnly = true;
    const QStringList chosen = m_prompts->chooseItems(panel);
    if (!chosen.isEmpty())
        setPhoto(QUrl::fromLocalFile(chosen.first()), slot);
}

void StorageManager::removePhoto(int slot)
{
    const QUrl photo = photoSlots().value(slot);
    if (photo.isEmpty())
        return;
    // The photo goes to the Trash, never deleted: it may be the only copy. A folder named
    // like a photo shows in a frame, but is never removed with it.
    const QString path = QDir::cleanPath(photo.toLocalFile());
    if (!FileOperations::isDirectory(path) && FileOperations::entryExists(path) &&
        !moveToTrash(photo))
        return;
    resetPhotoTransform(slot);
    loadPhotoSlots();
}

void StorageManager::movePhotoToCarpet(int slot)
{
    const QUrl photo = photoSlots().value(slot);
    const QString path = QDir::cleanPath(photo.toLocalFile());
    if (photo.isEmpty() || isInFlight(path))
        return;
    moveOntoFloor(path, [this, slot](bool moved) {
        // Not moved: the photo may have gone meanwhile, which the frame then shows.
        if (moved)
            resetPhotoTransform(slot);
        loadPhotoSlots();
    });
}

bool StorageManager::addPhotoToFreeFrame(const QUrl& file, const MoveCompletion& done)
{
    if (!isImageFile(file))
        return false;
    // A frame with a photo on its way is not free.
    int slot = 0;
    while (slot < kSlotCount && (photoSlots().contains(slot) || m_framing.contains(slot)))
        ++slot;
    setPhoto(file, slot < kSlotCount ? slot : 0, done);
    return true;
}

PhotoTransform StorageManager::transform(int slot) const
{
    return photoTransforms().value(slot, PhotoTransform{});
}

void StorageManager::resetPhotoTransform(int slot)
{
    PhotoTransforms transforms = photoTransforms();
    transforms.insert(slot, PhotoTransform{});
    setPhotoTransforms(transforms);
    savePhotoTransforms();
}

void StorageManager::setPhotoTransform(int slot, double scale, double rotation, double offsetX,
                                       double offsetY)
{
    // A value that cannot be stored is refused: the frame keeps what it shows and the file
    // what it holds.
    for (const double value : {scale, rotation, offsetX, offsetY}) {
        if (!std::isfinite(value))
            return;
    }
    PhotoTransforms transforms = photoTransforms();
    transforms.insert(slot, PhotoTransform{scale, rotation, offsetX, offsetY});
    setPhotoTransforms(transforms);
    savePhotoTransforms();
}

void StorageManager::savePhotoTransforms()
{
    const std::optional<QByteArray> bytes = encodePhotoTransforms(photoTransforms());
    if (!bytes)
        return;
    if (JsonFile::write(transformsFilePath(), *bytes, [](const QByteArray& written) {
            return decodePhotoTransforms(written).has_value();
        }))
        m_transformsFileSeen = *bytes;
}
