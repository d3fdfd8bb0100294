// The list sent to a spreadsheet: every scrap listed, then "excelvt" until the .xlsx is written.
#include "benchops.h"
#include "database/query.h"
#include "listingwindow.h"

#include <QFile>

#include <stdexcept>

namespace {

qint64 exportAll(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    Query count(*context.connection, QStringLiteral("SELECT count(*) FROM MEMO_IDX"));
    count.next();
    // Listing is timed by list_all; here only the export, of every scrap.
    const qint64 rows = listing.window->resultCount() == count.integer(0) ? count.integer(0) : listing.listRow(1);
    listing.press("excelvt");
    if (listing.desktop.lastFile.isEmpty() || !QFile::remove(listing.desktop.lastFile))
        throw std::runtime_error("the list was not written");
    listing.desktop.lastFile.clear();
    return rows;
}

qint64 exportAllBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX ORDER BY LevNo, DocNo");
}

} // namespace

void registerExportOps(BenchRegistry& registry)
{
    registry.push_back(wholeOp(QStringLiteral("export_xlsx"), exportAll, exportAllBare));
}
