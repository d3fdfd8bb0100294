#include "webaddress.h"

QUrl openableAddress(const QString& text)
{
    const QUrl url = QUrl::fromUserInput(text.trimmed());
    return isOpenable(url) ? url : QUrl();
}

bool isOpenable(const QUrl& url)
{
    return isWebAddress(url) || (url.isValid() && url.scheme() == u"file");
}

bool isWebAddress(const QUrl& url)
{
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}
