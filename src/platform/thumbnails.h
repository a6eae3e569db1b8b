#pragma once

#include <QImage>
#include <QString>

namespace Thumbnails {

// How much memory the decoders may take for one picture, in megabytes. A photo's decoder
// holds the whole picture for a moment, also when only a small copy is kept: a 16-bit PNG
// of 6000 x 6000 takes 288 MB, a WebP of 9000 x 7000 252 MB. A picture that needs more is
// refused (the decoders' own default, 128 MB, refused both).
inline constexpr int kDecodeLimitMB = 1024;

// Why a picture could not be read.
enum class Failure {
    None,
    NotAPicture, // no decoder here knows it (or not a regular file)
    Damaged,     // cut short or corrupt: the decoder reported data it could not read
    TooLarge,    // decoding it would take more than kDecodeLimitMB
};

// A picture as read, and whether its decoder reported data it could not read (a file cut
// short, corrupt data): the JPEG reader still hands over an image then, the part it could
// not read filled with grey.
struct Decoded {
    QImage image;
    bool damaged = false;
    Failure failure = Failure::None; // set when there is no image or it is damaged
};

// The picture at `path` turned upright by its orientation tag and scaled down, aspect
// ratio kept, so that its longer side is at most `maxPixelSize` pixels. A null image
// when the file cannot be read as a picture. Pictures that must be decoded whole beyond
// the decoders' default share kDecodeLimitMB between the threads reading them: they wait
// for each other rather than hold more together.
Decoded read(const QString& path, int maxPixelSize);
// The same, for a picture shown as far as it could be read.
QImage load(const QString& path, int maxPixelSize);

} // namespace Thumbnails
