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

// A JPEG cut short still decodes, grey below the cut, so its end-of-image marker is looked for.
bool jpegIsWhole(const QByteArray& bytes)
{
    qsizetype end = bytes.size();
    while (end > 0 && bytes[end - 1] == '\0')
        --end;
    return end >= 2 && quint8(bytes[end - 2]) == 0xFF && quint8(bytes[end - 1]) == 0xD9;
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
    if (jpeg && !jpegIsWhole(fileBytes))
        return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull()) {
        qCWarning(lcPictures) << "not a picture:" << reader.errorString();
        return std::nullopt;
    }
    return jpeg ? std::optional<QByteArray>(fileBytes) : encodeJpeg(image);
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
