// The list sent to a spreadsheet: every scrap listed, then "excelvt" until the .xlsx is written.
#include "benchops.h"
#include "database/query.h"
#include "export/listworkbook.h"
#include "listingwindow.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

QStringList workbooks()
{
    return QDir(listWorkbookFolder()).entryList({QStringLiteral("*.xlsx")}, QDir::Files);
}

// Listing is timed by list_all; here only the export, of every scrap.
void listEveryScrap(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    Query count(*context.connection, QStringLiteral("SELECT count(*) FROM MEMO_IDX"));
    if (!count.next() || count.integer(0) == 0 || listing.listRow(1) != count.integer(0))
        throw std::runtime_error("the window does not list every scrap");
}

// The file must appear where the program writes lists; it is removed again so that the folder stays as it was.
qint64 exportAll(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    const QStringList before = workbooks();
    listing.dialogs.lastMessage.clear();
    listing.press("excelvt");
    const QStringList after = workbooks();
    if (after.size() != before.size() + 1)
        throw std::runtime_error("the list was not written into " + listWorkbookFolder().toStdString() + ": " +
                                 listing.dialogs.lastMessage.toStdString());
    for (const QString& name : after) {
        if (!before.contains(name))
            QFile::remove(QDir(listWorkbookFolder()).filePath(name));
    }
    return listing.window->resultCount();
}

qint64 exportAllBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX ORDER BY LevNo, DocNo");
}

} // namespace

void registerExportOps(BenchRegistry& registry)
{
    registry.push_back(wholeOp(QStringLiteral("export_xlsx"), exportAll, exportAllBare, listEveryScrap));
}
