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
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
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
