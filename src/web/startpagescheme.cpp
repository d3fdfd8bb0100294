#include "startpagescheme.h"

#include "startpage.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

QByteArray StartPageScheme::name()
{
    return QByteArray(kStartPageScheme);
}

QUrl StartPageScheme::startPageUrl()
{
    return QUrl(QString::fromUtf16(kStartPageAddress));
}

void StartPageScheme::registerScheme()
{
    QWebEngineUrlScheme scheme(name());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Its page is shown with favourites from a collection: it reads no local file and no other origin, and no web
    // page can show it.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::NoAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void StartPageScheme::requestStarted(QWebEngineUrlRequestJob* job)
{
    if (job->requestUrl().path() != startPageUrl().path()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* page = new QBuffer(job);
    page->setData(m_html);
    job->reply(QByteArrayLiteral("text/html"), page);
}
