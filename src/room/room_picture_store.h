#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

// The room's own picture (kit/room_picture.h) drawn for window sizes other than the one the
// program carries, kept on disk under the user's cache folder, one file per theme, drawing,
// size and pixel ratio, as the pixels themselves (kit/picture_pixels.h): a later start at
// that size reads it back instead of drawing it again. The files are written whole and
// atomically; one that is damaged, of another size or of another drawing is not used (and
// is drawn again and written over).
class RoomPictureStore {
public:
    // Under `folder`, for the drawing `stamp` names (see carriedStamp).
    RoomPictureStore(QString folder, QString stamp);
    // The user's cache folder ($XDG_CACHE_HOME/pondsill, else ~/.cache/pondsill) and the
    // stamp of the drawing the program carries as `imageName`.
    static RoomPictureStore standard(const QString& imageName);

    // The fingerprint of the room's drawing the program carries as `imageName` (written by
    // the art generator beside the picture), or an empty text when it carries none: then
    // the theme's picture is not the room's own drawing and is never drawn to size.
    static QString carriedStamp(const QString& imageName);

    bool isUsable() const { return !m_folder.isEmpty() && !m_stamp.isEmpty(); }
    QString folder() const { return m_folder; }
    QString path(const QString& theme, QSizeF room, qreal ratio) const;

    // The kept picture of the room of `room` points at `ratio` for `theme`, or a null image
    // when there is none, or it cannot be read, is damaged or is not of that size. Its
    // pixels are the device's: the picture's own ratio is left at 1.
    QImage load(const QString& theme, QSizeF room, qreal ratio) const;
    // Keeps `picture`, the room of `room` points at `ratio`, and drops the pictures of other
    // drawings. False when it could not be written; nothing half-written is left.
    bool store(const QString& theme, QSizeF room, qreal ratio, const QImage& picture) const;

    // The largest picture kept: two 8K screens' worth, far more than any window needs.
    static constexpr qint64 kMaxBytes = 300 * 1024 * 1024;

private:
    QString m_folder;
    QString m_stamp;
};
