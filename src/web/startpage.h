#pragma once

#include <QList>
#include <QString>

// The built-in start page, served by the engine module under a scheme of the program's own.
inline constexpr char16_t kStartPageAddress[] = u"zettora:start";
inline constexpr char kStartPageScheme[] = "zettora";

// The web search site "bSearch" opens.
inline constexpr char16_t kSearchPageAddress[] = u"https://www.google.co.jp/";

struct StartPageLink {
    QString name;
    QString address;
};

// The start page of the web tab: the open collection's name and its favourites as links. Everything from the
// collection is escaped, and an address that is not a web address is shown as text, never as a link. The page runs
// no script and fetches nothing.
QString startPageHtml(const QString& collectionName, const QList<StartPageLink>& favourites);
