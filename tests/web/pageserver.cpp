#include "pageserver.h"

#include <QTcpSocket>

#include <memory>

namespace {

constexpr qint64 kPieceBytes = 1024 * 1024;

// Writes the zeros after a page's body a piece at a time, so that a huge page never sits in memory.
void streamZeros(QTcpSocket* socket, qint64 count)
{
    auto left = std::make_shared<qint64>(count);
    const auto more = [socket, left] {
        if (*left < 0)
            return;
        while (*left > 0 && socket->bytesToWrite() < kPieceBytes) {
            const qint64 piece = std::min(*left, kPieceBytes);
            socket->write(QByteArray(piece, '\0'));
            *left -= piece;
        }
        if (*left == 0) {
            *left = -1;
            socket->disconnectFromHost();
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

} // namespace

PageServer::PageServer()
{
    listen(QHostAddress::LocalHost);
}

QUrl PageServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://%1%2").arg(hostAndPort(), path));
}

QString PageServer::hostAndPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(serverPort());
}

void PageServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    socket->setSocketDescriptor(descriptor);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        const QByteArray request = socket->peek(socket->bytesAvailable());
        // A TLS greeting, say: closed at once, so the client fails instead of waiting.
        if (request.size() >= 4 && !request.startsWith("GET ")) {
            m_requested.append(QStringLiteral("(not HTTP)"));
            socket->abort();
            return;
        }
        if (!request.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const QString path = QString::fromUtf8(request.split(' ').value(1));
        m_requested.append(path);
        const auto found = m_pages.constFind(path);
        if (found == m_pages.constEnd()) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        if (found->hold) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + found->type + "\r\n\r\n" + found->body);
            return;
        }
        const qint64 size = std::max(found->size, qint64(found->body.size()));
        QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: " + found->type + "\r\n";
        if (found->announceLength)
            reply += "Content-Length: " + QByteArray::number(size) + "\r\n";
        socket->write(reply + found->extraHeaders + "Connection: close\r\n\r\n" + found->body);
        streamZeros(socket, size - found->body.size());
    });
}
