#pragma once

#include "database/resultset.h"

#include <QString>
#include <QStringList>

class Connection;

// The words of a body search as typed: blanks (half- or full-width) separate words, all of which must occur; a part
// in double quotes (half- or full-width) is one word as it stands, blanks included. A quote without its closing one
// is an ordinary character. Nothing is query syntax.
QStringList parseBodySearch(const QString& typed);

// How a body search finds its rows: through the index in schema (rows logged but not yet caught up compared one by
// one), or, when the index cannot be trusted yet, by comparing every body.
enum class BodySearchWay { Index, Scan };

// The MEMO_IDX rows whose body, title or keyword holds every word (each may be in any of them), ordered as the title
// search orders. logEmpty, when the caller knows the log has no rows, spares the statement their comparison. With
// pictureText (the file has the table of text read from pictures) a word may also be in a picture of the scrap: through
// the index's picture table when the way is Index and picturesIndexed (an index made before it had one is searched
// with the pictures' rows compared one by one).
// withSources adds the scraps whose source's title or address holds every word (the collection must have sources).
// Needs the functions of BodyIndex::registerFunctions on the connection it opens on.
// Several words are looked for from the rows that hold the first one: the rarest first keeps that part small.
ResultSource BuildBodySearchQuery(const QStringList& words, BodySearchWay way, const QString& schema,
                                  bool logEmpty = false, bool pictureText = false, bool withSources = false,
                                  bool picturesIndexed = true);

// words with the one in the fewest bodies and labels first, as the index of schema counts them (up to a bound: a word
// in thousands of scraps is as bad as one in every scrap). Throws DbError.
[[nodiscard]] QStringList rarestWordFirst(Connection& connection, const QString& schema, const QStringList& words);
