#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

// Serves fixed pages over HTTP on 127.0.0.1, so that the browser is tested without any outside network.
class PageServer final : public QTcpServer {
public:
    struct Page {
        QByteArray type;
        QByteArray body;
        QByteArray extraHeaders = {};
        // When larger than the body, zero bytes follow it up to this size, sent as fast as the client takes them.
        qint64 size = 0;
        bool announceLength = true;
        // The body is sent and the connection kept open: a page that never finishes loading.
        bool hold = false;
    };

    PageServer();
    void add(const QString& path, const Page& page) { m_pages.insert(path, page); }
    QUrl url(const QString& path) const;
    // "127.0.0.1:port"
    QString hostAndPort() const;
    // The paths asked for, in order; "(not HTTP)" for a connection that spoke something else.
    const QStringList& requested() const { return m_requested; }

protected:
    void incomingConnection(qintptr socket) override;

private:
    QHash<QString, Page> m_pages;
    QStringList m_requested;
};
