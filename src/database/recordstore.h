#pragma once

#include "common/result.h"
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
    qint64 skID = 0;
    qint64 pfID = 0;
    QString backC;
    qint32 levNo = 1;
    qint64 docNo = 0;
};

// The counters of IDno: document, picture set, body and favourite numbers.
enum class NumberKind { DocNo, skID, pfID, ndID };

// Why no number could be taken: the counter row is gone (the file is broken), or a counter stands at the largest
// number the file can hold.
inline const QString kNoCounterRow = QStringLiteral("番号を管理する行（IDno）がデータベースにありません。");
inline const QString kNumbersUsedUp = QStringLiteral("番号を使い切りました。");

// Adds 1 to the counter's column and returns the stored value; a counter behind the number the connection knows to
// be in use (setNumberInUse) is first moved up to it, in the same statement, and the move logged. Numbers are 64-bit
// and only grow. Inside a caller's transaction the step is undone with it. Never throws.
[[nodiscard]] Result<qint64> TakeNextNumber(Connection& connection, NumberKind kind);
// The largest number of each kind the file's tables hold (0 for none), and the kind's counter column.
[[nodiscard]] qint64 LargestNumberInUse(Connection& connection, NumberKind kind);
QString counterColumnOf(NumberKind kind);
// Document, body and picture set numbers that more than one scrap holds, each with the titles of its scraps. Such a
// file is not written: deleting one scrap would delete another's body or pictures.
[[nodiscard]] QStringList NumbersUsedTwice(Connection& connection);

// Appends the index row through the shared result set (opened on MEMO_IDX), whose current record then is the
// new scrap. When a value is refused nothing is stored and the set stays on the record it was on.
void AddScrapIndex(ResultSet& shared, const ScrapIndex& index);
void AddScrapBody(Connection& connection, qint64 pfID, const QString& text);
void AppendMarkRow(Connection& connection, qint64 pfID, const MarkRow& mark);
// Writes the marking log of the body pfID anew. Belongs in the caller's transaction.
void ReplaceMarks(Connection& connection, qint64 pfID, const QList<MarkRow>& marks);

// The stored body, or nullopt when the scrap has no body row.
[[nodiscard]] std::optional<QString> LoadScrapBody(Connection& connection, qint64 pfID);
// Writes text into the body row, cutting marks that would run past its end; false when there is no body row to
// write. Belongs in the caller's transaction.
[[nodiscard]] bool SaveScrapBody(Connection& connection, qint64 pfID, const QString& text);
// The marking log in the order it was written.
QList<MarkRow> LoadMarks(Connection& connection, qint64 pfID);

void DeleteScrapBody(Connection& connection, qint64 pfID);
void DeleteScrapMarks(Connection& connection, qint64 pfID);
void DeletePictureSet(Connection& connection, qint64 skID);

// Deletes the shared result set's current scrap with its pictures, marks and body, in one transaction: after a
// failure every row is still there and the set is as it was. The set's cursor stays on the deleted record until
// it moves. Cannot run inside a caller's transaction.
void DeleteCurrentScrap(Connection& connection, ResultSet& shared);
// Deletes every scrap of the shared result set (as far as it is narrowed), all or nothing.
void DeleteAllResults(Connection& connection, ResultSet& shared);
// Deletes every visible scrap of a set on MEMO_IDX with all its rows (pictures and their text, marks, body, source),
// inside the caller's transaction. Throws DbError.
void DeleteScrapsOf(Connection& connection, const ResultSet& scraps);
