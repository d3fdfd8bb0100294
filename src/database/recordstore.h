#pragma once

#include "common/scrapidentity.h"

#include <QList>
#include <QString>

#include <optional>

class Connection;
class ResultSet;

// The rows that make up one scrap: numbers from the counter row, the index row, the body row, the marking
// log and the picture set. Functions that can fail throw DbError unless they say otherwise.

// One action of the marking log: a range of the body (UTF-16 code units of the stored text, "\n" counting
// one) that was marked (selUnder false) or unmarked (selUnder true).
struct MarkRow {
    bool selUnder = false;
    int startP = 0;
    int selLen = 0;
};

// The index fields of a new scrap, in the order they are written.
struct ScrapIndex {
    QString a01, a02, a03, a04, a05, a06, a07; // a03 as yyyy-mm-dd
    qint16 skID = 0;
    qint16 pfID = 0;
    QString backC;
    qint32 levNo = 1;
    qint16 docNo = 0;
};

enum class NumberKind { DocNo, skID, pfID };

// What taking a number found.
struct TakenNumber {
    qint16 value = -1;           // the new number; -1 when none could be taken
    bool counterMissing = false; // the counter row is gone: the file is broken
};

// Adds 1 to the counter's column and returns the stored value. At 32767 the column is left as it is and -1
// is returned, so no number outside the 16-bit range is ever handed out. Inside a caller's transaction the
// step is undone with it. Never throws.
[[nodiscard]] TakenNumber TakeNextNumber(Connection& connection, NumberKind kind);

// Appends the index row through the shared result set (opened on MEMO_IDX), whose current record then is the
// new scrap. When a value is refused nothing is stored and the set stays on the record it was on.
void AddScrapIndex(ResultSet& shared, const ScrapIndex& index);
void AddScrapBody(Connection& connection, qint16 pfID, const QString& text);
void AppendMarkRow(Connection& connection, qint16 pfID, const MarkRow& mark);

// The stored body, or nullopt when the scrap has no body row.
[[nodiscard]] std::optional<QString> LoadScrapBody(Connection& connection, qint16 pfID);
// Writes text into the body row, cutting marks that would run past its end; false when there is no body row to
// write. Belongs in the caller's transaction.
[[nodiscard]] bool SaveScrapBody(Connection& connection, qint16 pfID, const QString& text);
// The marking log in the order it was written.
QList<MarkRow> LoadMarks(Connection& connection, qint16 pfID);

void DeleteScrapBody(Connection& connection, qint16 pfID);
void DeleteScrapMarks(Connection& connection, qint16 pfID);
void DeletePictureSet(Connection& connection, qint16 skID);

// Deletes the shared result set's current scrap with its pictures, marks and body, in one transaction: after a
// failure every row is still there and the set is as it was. The set's cursor stays on the deleted record until
// it moves. Cannot run inside a caller's transaction.
void DeleteCurrentScrap(Connection& connection, ResultSet& shared);
// Deletes every scrap of the shared result set (as far as it is narrowed), all or nothing.
void DeleteAllResults(Connection& connection, ResultSet& shared);
