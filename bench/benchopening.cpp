#include "benchops.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/schema.h"
#include "listingwindow.h"
#include "search/bodyindex.h"

#include <sqlite3.h>

#include <stdexcept>

namespace {

// The steps of the main window's opening, without the window; a user's file is never given indexes.
qint64 openCollection(BenchContext& context)
{
    auto connection = OpenSharedConnection(context.path);
    const KindCheck check = CheckDatabaseKind(*connection);
    if (context.writable)
        Schema::ensureIndexes(*connection);
    // What the window does itself about the body index; the check proper runs beside it (index_check).
    BodyIndex::registerFunctions(*connection);
    return BodyIndex::isInstalled(*connection, QString::fromLatin1(BodyIndex::kMainSchema)) ? check.kind : -1;
}

// The worker's check of the body index on opening: version, triggers, row counts and rowid sums.
qint64 checkIndex(BenchContext& context)
{
    auto connection = OpenSharedConnection(context.path);
    BodyIndex::registerFunctions(*connection);
    return BodyIndex::verifyOrReset(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString()) ? -1 : 2;
}

qint64 openBare(BenchContext& context)
{
    sqlite3* handle = nullptr;
    const QByteArray path = context.path.toUtf8();
    if (sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(handle);
        throw std::runtime_error("cannot open " + path.toStdString());
    }
    sqlite3_busy_timeout(handle, kBareBusyMs);
    sqlite3_stmt* statement = nullptr;
    qint64 kind = 0;
    if (sqlite3_prepare_v2(handle, "SELECT dbid FROM DBID ORDER BY rowid LIMIT 1", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        kind = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return kind;
}

// Both time a collection as every opening after the first finds it: checked, with its body index made and caught
// up by the window's worker (a file from elsewhere comes without one).
void indexMade(BenchContext& context)
{
    listingWindowOf(context);
}

} // namespace

void registerOpeningOps(BenchRegistry& registry)
{
    registry.push_back(wholeOp(QStringLiteral("open"), openCollection, openBare, indexMade));
    registry.push_back(wholeOp(QStringLiteral("index_check"), checkIndex, openBare, indexMade));
}
