#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// How a column of the list goes into the spreadsheet: what a user of the sheet expects of it.
enum class CellKind { Text, Number, Date };

// The list as shown: its captions, its number of rows and the text of each cell (rows and columns from 0).
struct ListTable {
    QStringList captions;
    QList<CellKind> kinds;
    int rowCount = 0;
    std::function<QString(int row, int column)> cell;
};

// Writes the table as the first worksheet of a new .xlsx at path: row 1 the captions, then one row per list row,
// column A onwards. Texts stay texts whatever they look like ("=1+1", "0012"); a number column's cell becomes a
// number and a date column's a date shown yyyy/mm/dd when its text reads as one, else it stays text. Returns an
// empty string on success, else what went wrong.
QString writeListWorkbook(const QString& path, const ListTable& table);

// The file the list goes into: in folder, named after the collection and the moment.
QString listWorkbookPath(const QString& folder, const QString& collectionName, const QDateTime& when);
