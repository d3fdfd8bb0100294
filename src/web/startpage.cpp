#include "startpage.h"

#include "webaddress.h"

#include <QUrl>

namespace {

QString favouriteItem(const StartPageLink& favourite)
{
    const QString name = (favourite.name.isEmpty() ? favourite.address : favourite.name).toHtmlEscaped();
    const QUrl url = openableAddress(favourite.address);
    // A page never leads to a local file; such a favourite opens from the tree.
    if (!isWebAddress(url))
        return QStringLiteral("<li>%1　<span class=\"address\">%2</span></li>")
            .arg(name, favourite.address.toHtmlEscaped());
    const QString href = QString::fromUtf8(url.toEncoded()).toHtmlEscaped();
    return QStringLiteral("<li><a href=\"%1\">%2</a>　<span class=\"address\">%3</span></li>")
        .arg(href, name, favourite.address.toHtmlEscaped());
}

} // namespace

QString startPageHtml(const QString& collectionName, const QList<StartPageLink>& favourites)
{
    QString items;
    for (const StartPageLink& favourite : favourites)
        items += favouriteItem(favourite);
    const QString list = favourites.isEmpty() ? QStringLiteral("<p>お気に入りサイトはまだありません。</p>")
                                              : QStringLiteral("<ul>") + items + QStringLiteral("</ul>");
    const QString collection =
        collectionName.isEmpty() ? QStringLiteral("（開いていません）") : collectionName.toHtmlEscaped();
    return QStringLiteral("<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\">"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                          "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'\">"
                          "<title>スタートページ</title><style>"
                          "body{font-family:sans-serif;margin:2em;color:#222;background:#fff}"
                          "h1{font-size:1.4em;border-bottom:1px solid #ccc;padding-bottom:.3em}"
                          "h2{font-size:1.1em;margin-top:1.5em}"
                          "li{margin:.4em 0}.address{color:#888;font-size:.85em}"
                          "</style></head><body><h1>Tarnwell Zettora</h1>"
                          "<p>スクラップ集：<strong>%1</strong></p><h2>お気に入りサイト</h2>%2</body></html>")
        .arg(collection, list);
}
