#include "pagecopy.h"

#include "sourceslog.h"

#include <QFile>

#include <zlib.h>

namespace PageCopy {

namespace {

constexpr qint64 kPieceBytes = 256 * 1024;

const QString kNotKept = QStringLiteral("ページのコピーを保存できませんでした。");
const QString kCannotOpen = QStringLiteral("保存したページを開けません。");

} // namespace

Result<QByteArray> compressFile(const QString& path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{kNotKept, QStringLiteral("保存したファイルを読めません。"), path + u' ' + file.errorString()};
    z_stream stream{};
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK)
        return Failure{kNotKept, QStringLiteral("圧縮を始められません。"), QStringLiteral("deflateInit")};
    QByteArray out;
    QByteArray piece(kPieceBytes, Qt::Uninitialized);
    QByteArray in;
    int flush = Z_NO_FLUSH;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (stream.avail_in == 0 && flush == Z_NO_FLUSH) {
            in = file.read(kPieceBytes);
            if (in.isEmpty())
                flush = Z_FINISH;
            stream.next_in = reinterpret_cast<Bytef*>(in.data());
            stream.avail_in = uInt(in.size());
        }
        stream.next_out = reinterpret_cast<Bytef*>(piece.data());
        stream.avail_out = uInt(piece.size());
        rc = deflate(&stream, flush);
        if (rc == Z_STREAM_ERROR) {
            deflateEnd(&stream);
            return Failure{kNotKept, QStringLiteral("圧縮できませんでした。"), QStringLiteral("deflate")};
        }
        out.append(piece.constData(), piece.size() - stream.avail_out);
        if (out.size() > limit) {
            deflateEnd(&stream);
            qCInfo(lcSources) << "the page copy passes" << limit << "bytes compressed:" << path;
            return Failure{QStringLiteral("ページが大きすぎるため、コピーは保存しませんでした。"),
                           QStringLiteral("アドレスと標題は保存されています。"),
                           QStringLiteral("over %1 bytes compressed").arg(limit)};
        }
    }
    deflateEnd(&stream);
    if (file.error() != QFileDevice::NoError)
        return Failure{kNotKept, QStringLiteral("保存したファイルを読めません。"), file.errorString()};
    return out;
}

Result<QByteArray> expand(const QByteArray& stored)
{
    const Failure damaged{kCannotOpen, QStringLiteral("保存したページのデータが壊れています。"), {}};
    z_stream stream{};
    if (stored.isEmpty() || inflateInit(&stream) != Z_OK)
        return damaged;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.constData()));
    stream.avail_in = uInt(stored.size());
    QByteArray out;
    QByteArray piece(kPieceBytes, Qt::Uninitialized);
    int rc = Z_OK;
    while (rc == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(piece.data());
        stream.avail_out = uInt(piece.size());
        rc = inflate(&stream, Z_NO_FLUSH);
        out.append(piece.constData(), piece.size() - stream.avail_out);
        if (out.size() > kLargestExpanded)
            rc = Z_DATA_ERROR;
    }
    inflateEnd(&stream);
    if (rc != Z_STREAM_END || stream.avail_in != 0) {
        qCWarning(lcSources) << "a stored page copy is damaged: inflate gave" << rc;
        return damaged;
    }
    // The engine's saves begin with their MIME headers and are one multipart/related message.
    if (!out.left(4096).toLower().contains("multipart/related")) {
        qCWarning(lcSources) << "a stored page copy is no MHTML page";
        return damaged;
    }
    return out;
}

} // namespace PageCopy
