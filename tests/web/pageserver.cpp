#include "pageserver.h"

#include <QTcpSocket>

PageServer::PageServer()
{
    listen(QHostAddress::LocalHost);
}

QUrl PageServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

void PageServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    socket->setSocketDescriptor(descriptor);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        const QByteArray request = socket->peek(socket->bytesAvailable());
        if (!request.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const QString path = QString::fromUtf8(request.split(' ').value(1));
        const auto found = m_pages.constFind(path);
        QByteArray reply;
        if (found == m_pages.constEnd()) {
            reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else {
            reply = "HTTP/1.1 200 OK\r\nContent-Type: " + found->type +
                    "\r\nContent-Length: " + QByteArray::number(found->body.size()) + "\r\n" + found->extraHeaders +
                    "Connection: close\r\n\r\n" + found->body;
        }
        socket->write(reply);
        socket->disconnectFromHost();
    });
}
