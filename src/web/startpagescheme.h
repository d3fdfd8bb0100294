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

    void setHtml(const QString& html) { m_html = html.isEmpty() ? kEmptyPage : html.toUtf8(); }
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    // Until the program hands its page, an empty one that may load nothing, so no script of it reads anything.
    static constexpr char kEmptyPage[] = "<!DOCTYPE html><html><head><meta http-equiv=\"Content-Security-Policy\" "
                                         "content=\"default-src 'none'\"></head><body></body></html>";
    QByteArray m_html = kEmptyPage;
};
