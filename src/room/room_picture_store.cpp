#include "room/room_picture_store.h"

#include "kit/picture_pixels.h"
#include "kit/room_picture.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

namespace {
constexpr QImage::Format kFormat = QImage::Format_RGB32;

QString ratioText(qreal ratio)
{
    return QString::number(ratio, 'g', 4);
}

// The bytes of the regular file at `path` when it holds exactly `expected` of them; never
// waits on a pipe or a device put in its place.
QByteArray readExactly(const QString& path, qint64 expected)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == expected) {
        bytes.resize(expected);
        qint64 done = 0;
        while (done < expected) {
            const ssize_t got = ::read(fd, bytes.data() + done, size_t(expected - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        if (done != expected)
            bytes.clear();
    }
    ::close(fd);
    return bytes;
}
} // namespace

RoomPictureStore::RoomPictureStore(QString folder, QString stamp)
    : m_folder(std::move(folder)), m_stamp(std::move(stamp))
{
}

RoomPictureStore RoomPictureStore::standard(const QString& imageName)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return RoomPictureStore(cache.isEmpty() ? QString() : cache + QStringLiteral("/pondsill"),
                            carriedStamp(imageName));
}

QString RoomPictureStore::carriedStamp(const QString& imageName)
{
    QFile file(QStringLiteral(":/images/") + imageName + QStringLiteral(".stamp"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stamp = file.read(64).trimmed();
    for (const char c : stamp) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return {};
    }
    return QString::fromLatin1(stamp);
}

QString RoomPictureStore::path(const QString& theme, QSizeF room, qreal ratio) const
{
    const QSize pixels = RoomPicture::pixelSize(room, ratio);
    return m_folder + QStringLiteral("/room-%1-%2-%3x%4@%5.pixels")
                          .arg(theme, m_stamp)
                          .arg(pixels.width())
                          .arg(pixels.height())
                          .arg(ratioText(ratio));
}

QImage RoomPictureStore::load(const QString& theme, QSizeF room, qreal ratio) const
{
    if (!isUsable())
        return {};
    const QSize pixels = RoomPicture::pixelSize(room, ratio);
    const qint64 expected =
        PicturePixels::headerSize + qint64(pixels.width()) * 4 * pixels.height();
    if (expected > kMaxBytes)
        return {};
    auto* bytes = new QByteArray(readExactly(path(theme, room, ratio), expected));
    const QImage lying = PicturePixels::view(*bytes);
    if (lying.isNull() || lying.format() != kFormat || lying.size() != pixels) {
        delete bytes;
        return {};
    }
    // Read where it lies in the bytes, which go with the last copy of the picture.
    const bool inPlace =
        lying.constBits() >= reinterpret_cast<const uchar*>(bytes->constData()) &&
        lying.constBits() < reinterpret_cast<const uchar*>(bytes->constData()) + bytes->size();
    QImage picture;
    if (inPlace) {
        picture = QImage(
            lying.constBits(), lying.width(), lying.height(), lying.bytesPerLine(), kFormat,
            [](void* kept) { delete static_cast<QByteArray*>(kept); }, bytes);
    } else {
        picture = lying;
        delete bytes;
    }
    return picture;
}

bool RoomPictureStore::store(const QString& theme, QSizeF room, qreal ratio,
                             const QImage& picture) const
{
    if (!isUsable() || picture.format() != kFormat ||
        picture.size() != RoomPicture::pixelSize(room, ratio) || !QDir().mkpath(m_folder))
        return false;
    const QByteArray bytes = PicturePixels::encode(picture);
    if (bytes.isEmpty() || bytes.size() > kMaxBytes)
        return false;
    QSaveFile file(path(theme, room, ratio));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return false;
    // Pictures of an earlier drawing are never shown again.
    const QString current = QStringLiteral("room-%1-%2-").arg(theme, m_stamp);
    const QDir dir(m_folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("room-*.pixels")}, QDir::Files | QDir::Hidden)) {
        if (!name.startsWith(current) &&
            name.startsWith(QStringLiteral("room-") + theme + QLatin1Char('-')))
            QFile::remove(dir.filePath(name));
    }
    return true;
}
