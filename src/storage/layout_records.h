#pragma once

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QString>

#include <cmath>
#include <optional>

// A point on the room window as fractions of its width and height, from the top left.
// Any value is accepted; the floor clamps where it uses one.
struct StoredPosition {
    double x = 0;
    double y = 0;

    // Whether the position can be stored at all (no NaN, no infinity).
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y); }

    friend bool operator==(const StoredPosition&, const StoredPosition&) = default;
};

// The content of floor_positions.json: the carpet's centre and where each file under the
// carpet lies on the floor, keyed by its name in the carpet folder.
struct FloorLayoutData {
    StoredPosition carpetPosition;
    QMap<QString, StoredPosition> itemPositions;

    friend bool operator==(const FloorLayoutData&, const FloorLayoutData&) = default;
};

// How the photo of one frame is shown: zoom (1 = fitted), rotation in degrees and the
// shift in points. Compared exactly.
struct PhotoTransform {
    double scale = 1;
    double rotation = 0;
    double offsetX = 0;
    double offsetY = 0;

    friend bool operator==(const PhotoTransform&, const PhotoTransform&) = default;
};

using FloorPositions = QMap<QString, StoredPosition>;
using PhotoTransforms = QMap<int, PhotoTransform>;

// Both files need every member; anything that does not decode refuses the whole file.
std::optional<FloorLayoutData> decodeFloorLayout(const QByteArray& json);
std::optional<PhotoTransforms> decodePhotoTransforms(const QByteArray& json);

// Nothing when a value is not finite: the file keeps its previous content then.
std::optional<QByteArray> encodeFloorLayout(const FloorLayoutData& layout);
std::optional<QByteArray> encodePhotoTransforms(const PhotoTransforms& transforms);

Q_DECLARE_METATYPE(StoredPosition)
Q_DECLARE_METATYPE(PhotoTransform)
