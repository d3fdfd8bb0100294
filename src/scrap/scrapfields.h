#pragma once

#include "common/session.h"

#include <QString>

class ResultSet;

// How long a proposed title may be.
inline constexpr int kProposedTitleLength = 100;
// How many characters a typed title or keyword may hold.
inline constexpr int kTypedFieldLength = 255;

// The title registration proposes: the body's first line without its line break, so that an exact title search
// finds it; at most 100 characters, never ending in half a surrogate pair.
QString proposedTitle(const QString& body);

// True for a creation date as it is stored: yyyy-mm-dd of a day that exists.
bool isScrapDate(const QString& text);

// The MEMO_IDX field a typed row of the scrap sheet edits ("a01", "a02", "a03", "a07"), or empty for a row that is
// not typed into.
QString typedFieldOfRow(int row);

// Writes one index field of the set's current record. Throws DbError; the record is then as it was.
void storeIndexField(ResultSet& set, const QString& field, const QString& value);
// Gives the set's current record the level and the level's colour value as backC. Throws DbError.
void storeLevel(ResultSet& set, const QString& level, const QString& backColour);
// Files the set's current record under another class: a04 to a06 and LevNo. Throws DbError.
void refileScrap(ResultSet& set, int levNo, const ClassPath& path);
