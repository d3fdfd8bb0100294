#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

// Pictures larger than these are refused: decoding them would take the memory of the whole machine.
inline constexpr qint64 kMaxPictureBytes = 100LL * 1024 * 1024;
inline constexpr qint64 kMaxPicturePixels = 80'000'000;
// Quality of pictures that are not JPEG already: text in a screenshot stays legible.
inline constexpr int kJpegQuality = 90;

// The bytes a picture is stored with. A JPEG that decodes whole is kept byte for byte (no second lossy compression,
// its metadata kept); any other picture Qt reads becomes a JPEG. nullopt for anything that is no picture, a
// damaged or truncated one, or one over the limits.
[[nodiscard]] std::optional<QByteArray> storableBytes(const QByteArray& fileBytes);
// A picture from the clipboard as JPEG bytes; nullopt for a null or oversized image.
[[nodiscard]] std::optional<QByteArray> storableBytes(const QImage& image);

// The bytes of a dropped file: nullopt unless it is a regular file (never a pipe, a device or a directory, which
// would block or never end) of at most kMaxPictureBytes. Opening never waits.
[[nodiscard]] std::optional<QByteArray> readPictureFile(const QString& path);

// Decodes stored bytes no larger than bounds (keeping proportions; a small picture keeps its size), decoding at
// that size rather than decoding everything and scaling. A null image when the bytes do not decode.
QImage decodeToFit(const QByteArray& bytes, const QSize& bounds);

// The picture's full size as it is shown upright (its orientation applied); invalid when the bytes are no picture.
QSize uprightSize(const QByteArray& bytes);
