#include "pictureimage.h"

#include "picturelog.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isJpeg(const QByteArray& bytes)
{
    return bytes.size() > 4 && quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xD8 && quint8(bytes[2]) == 0xFF;
}

// Where a JPEG's end-of-image marker ends, found by walking its segments, or -1 when the file is cut short (it would
// still decode, grey below the cut). Bytes after it, such as a phone's motion clip or padding, are not the picture.
qsizetype jpegEnd(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    const auto at = [&bytes](qsizetype i) { return quint8(bytes[i]); };
    const auto isRestart = [](quint8 marker) { return marker >= 0xD0 && marker <= 0xD7; };
    qsizetype i = 2;
    while (i + 1 < size) {
        if (at(i) != 0xFF)
            return -1;
        const quint8 marker = at(i + 1);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xD9)
            return i + 2;
        if (marker == 0x01 || isRestart(marker)) {
            i += 2;
            continue;
        }
        if (i + 3 >= size)
            return -1;
        const qsizetype length = (qsizetype(at(i + 2)) << 8) | at(i + 3);
        if (length < 2)
            return -1;
        i += 2 + length;
        // The coded data of a scan runs to the next marker that is neither a stuffed byte nor a restart.
        if (marker == 0xDA) {
            while (i + 1 < size && !(at(i) == 0xFF && at(i + 1) != 0x00 && !isRestart(at(i + 1))))
                ++i;
        }
    }
    return -1;
}

bool withinLimits(const QSize& size)
{
    return size.isValid() && qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

std::optional<QByteArray> encodeJpeg(const QImage& image)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJpegQuality);
    // JPEG has no alpha: transparent parts become white rather than black.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.setDevicePixelRatio(1);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    if (!writer.write(opaque)) {
        qCWarning(lcPictures) << "cannot encode a picture as JPEG:" << writer.errorString();
        return std::nullopt;
    }
    return jpeg;
}

} // namespace

std::optional<QByteArray> storableBytes(const QByteArray& fileBytes)
{
    if (fileBytes.isEmpty() || fileBytes.size() > kMaxPictureBytes)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(fileBytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!withinLimits(reader.size()))
        return std::nullopt;
    const bool jpeg = isJpeg(fileBytes) && reader.format() == "jpeg";
    const qsizetype end = jpeg ? jpegEnd(fileBytes) : -1;
    if (jpeg && end < 0)
        return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull()) {
        qCWarning(lcPictures) << "not a picture:" << reader.errorString();
        return std::nullopt;
    }
    return jpeg ? std::optional<QByteArray>(fileBytes.left(end)) : encodeJpeg(image);
}

std::optional<QByteArray> storableBytes(const QImage& image)
{
    if (image.isNull() || !withinLimits(image.size()))
        return std::nullopt;
    return encodeJpeg(image);
}

namespace {

// Reads stored bytes turned upright, as their orientation says.
struct UprightReader {
    QBuffer buffer;
    QImageReader reader;

    explicit UprightReader(const QByteArray& bytes)
    {
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setAutoTransform(true);
    }
    bool turnsSideways() const { return reader.transformation() & QImageIOHandler::TransformationRotate90; }
};

} // namespace

QImage decodeToFit(const QByteArray& bytes, const QSize& bounds)
{
    UprightReader upright(bytes);
    QImageReader& reader = upright.reader;
    const QSize size = reader.size();
    if (!withinLimits(size))
        return {};
    // Scaling comes before the picture is turned upright, so a turned picture is fitted into turned bounds.
    const QSize fit = upright.turnsSideways() ? bounds.transposed() : bounds;
    if (fit.isValid() && (size.width() > fit.width() || size.height() > fit.height()))
        reader.setScaledSize(size.scaled(fit, Qt::KeepAspectRatio));
    return reader.read();
}

QSize uprightSize(const QByteArray& bytes)
{
    const UprightReader upright(bytes);
    const QSize size = upright.reader.size();
    return upright.turnsSideways() ? size.transposed() : size;
}

std::optional<QByteArray> readPictureFile(const QString& path)
{
    // Non-blocking, so that opening a pipe with no writer returns at once.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status {};
    QFile file;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMaxPictureBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        qCWarning(lcPictures) << "not a picture file that can be read:" << path;
        return std::nullopt;
    }
    // A file that grew since it was looked at is read no further than the limit.
    QByteArray bytes = file.read(kMaxPictureBytes + 1);
    if (bytes.size() > kMaxPictureBytes)
        return std::nullopt;
    return bytes;
}
