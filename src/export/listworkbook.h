#pragma once

#include "common/result.h"

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
    // Told after each row is written (done of rowCount); a long list takes seconds.
    std::function<void(int done, int total)> progress;
};

// The user's own folder the lists go into: a folder of the program's per-user cache.
QString listWorkbookFolder();

// Writes the table as the first worksheet of a new .xlsx in folder: row 1 the captions, then one row per list row,
// column A onwards. Texts stay texts exactly as listed whatever they look like ("=1+1", "0012", "_x0041_"); a
// number column's cell becomes a number and a date column's a date shown yyyy/mm/dd when its text reads as one
// (a number the sheet cannot hold exactly stays text), else it stays text. The folder is made for the user alone
// when missing and refused when it is a link or someone else's; the file is named after the collection and the
// moment and never replaces a file or follows a link. Returns the path written.
Result<QString> writeListWorkbook(const QString& folder, const QString& collectionName, const QDateTime& when,
                                  const ListTable& table);
