#pragma once

#include "database/resultset.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Connection;

// The index fields a title/keyword search looks in, by their field numbers (a02, a07).
// The index field a text search looks in.
enum class TextSearchField { Title, Keyword };

// What the title/keyword searches compare: the typed text without the half-width blanks around it. The full-width
// space stays, since a title taken from an indented body begins with one.
QString searchText(const QString& typed);

// The MEMO_IDX rows whose title (whereCol 2) or keyword (7) equals the search text of typed, or, when that holds a
// half-width "%", match it as a pattern ("%" any run of characters, every other character literal). Letters
// compare without regard to case, full-width ones too. Ordered by tree position, then registration. Nothing for any
// other whereCol. Makes the comparison known to connection first; throws DbError when it cannot.
[[nodiscard]] std::optional<ResultSource> BuildTextSearchQuery(Connection& connection, TextSearchField field,
                                                               const QString& typed);

// The scraps created on the days from one date to the other (in either order), by creation date.
ResultSource BuildDateSearchQuery(const QDate& from, const QDate& to);

// Every distinct creation date stored in MEMO_IDX, ascending. Throws DbError.
QList<QDate> LoadStoredDates(Connection& connection);
// How the date lists show a date: yyyy/MM/dd.
QString shortDateText(const QDate& date);
// A date as the user may type it into a date list: year/month/day with "/" or "-", digits half- or full-width,
// blanks around it ignored. An invalid QDate for anything else.
QDate parseDateText(const QString& text);

// The names of the importance levels in their display order. Throws DbError.
QStringList LoadLevelNames(Connection& connection);

// Registers the case-folding function the text searches call in SQL, so that the same source opens on any
// connection it was registered on. Throws DbError.
void RegisterSearchFunctions(Connection& connection);
