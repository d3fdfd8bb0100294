#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

// Serves fixed pages over HTTP on 127.0.0.1, so that the browser is tested without any outside network.
class PageServer final : public QTcpServer {
public:
    struct Page {
        QByteArray type;
        QByteArray body;
        QByteArray extraHeaders = {};
    };

    PageServer();
    void add(const QString& path, const Page& page) { m_pages.insert(path, page); }
    QUrl url(const QString& path) const;

protected:
    void incomingConnection(qintptr socket) override;

private:
    QHash<QString, Page> m_pages;
};
