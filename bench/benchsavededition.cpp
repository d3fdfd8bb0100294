// The saved edition of 100,000 listed scraps (every one of a smaller collection) with their bodies, marks and pictures,
// against a bare copy of the same rows with ATTACH and INSERT ... SELECT.
#include "benchops.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "savededition/savededitionwriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace {

// The first 100,000 scraps in list order, as a search would list them.
const char* const kListedTail = " ORDER BY LevNo, DocNo LIMIT 100000";

qint64 makeEdition(BenchContext& context)
{
    const std::unique_ptr<ResultSet> listed = ResultSet::open(
        *context.connection, ResultSource::fromTable(Schema::name(Schema::kMemoIdx), QString::fromLatin1(kListedTail)));
    QTemporaryDir folder;
    SavedEditionWriter writer;
    if (!writer.create(folder.filePath(QStringLiteral("Zettora.mdb"))) ||
        !writer.copy(*context.connection, *listed, {}))
        throw std::runtime_error("the saved edition could not be made");
    return listed->recordCount();
}

void exec(sqlite3* handle, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown";
        sqlite3_free(error);
        throw std::runtime_error("bare copy: " + message);
    }
}

qint64 copyBare(BenchContext& context)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Zettora.mdb"));
    {
        auto target = Connection::createNew(path);
        CreateTables(*target);
        Schema::ensureIndexes(*target);
    }
    sqlite3* handle = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &handle) != SQLITE_OK)
        throw std::runtime_error("cannot open the bare target");
    exec(handle, "PRAGMA synchronous = FULL");
    exec(handle, "ATTACH DATABASE '" + context.path.toStdString() + "' AS src");
    exec(handle, "BEGIN");
    exec(handle, "INSERT INTO DBID VALUES (-2)");
    for (const char* table : {"Status", "extraNodeMEMO", "extraNodeWEB", "MEMO_UNDERLINE", "FontSize", "Marker"})
        exec(handle, std::string("INSERT INTO ") + table + " SELECT * FROM src." + table);
    exec(handle,
         std::string("CREATE TEMP TABLE listed AS SELECT rowid AS r, pfID, skID FROM src.MEMO_IDX") + kListedTail);
    exec(handle, "INSERT INTO MEMO_IDX SELECT m.* FROM temp.listed l JOIN src.MEMO_IDX m ON m.rowid = l.r");
    // A collection of fewer scraps lists them all.
    const qint64 listed = sqlite3_changes64(handle);
    exec(handle, "INSERT INTO MEMO_DAT SELECT d.* FROM temp.listed l JOIN src.MEMO_DAT d ON d.pfID = l.pfID");
    exec(handle, "INSERT INTO PHOTO_DRA SELECT p.* FROM temp.listed l JOIN src.PHOTO_DRA p ON p.skID = l.skID "
                 "WHERE l.skID <> 0");
    exec(handle, "INSERT INTO Speak SELECT * FROM src.Speak");
    exec(handle, "COMMIT");
    sqlite3_close(handle);
    return listed;
}

} // namespace

void registerSavedEditionOps(BenchRegistry& registry)
{
    registry.push_back(wholeOp(QStringLiteral("saved_edition"), makeEdition, copyBare));
}
