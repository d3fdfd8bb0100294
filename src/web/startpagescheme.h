#pragma once

#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

// Serves the built-in start page, so that it shows offline and has a place in the page history like any page.
class StartPageScheme final : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    static QByteArray name();
    static QUrl startPageUrl();
    // Must run before the engine's first profile: the engine learns its schemes only at its start.
    static void registerScheme();

    void setHtml(const QString& html) { m_html = html.toUtf8(); }
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QByteArray m_html;
};
