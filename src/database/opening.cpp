#include "opening.h"

#include "connection.h"
#include "databaselog.h"
#include "dberror.h"
#include "query.h"
#include "resultset.h"
#include "schema.h"

#include <QFileInfo>

std::unique_ptr<Connection> OpenSharedConnection(const QString& path)
{
    auto connection = Connection::openExisting(path);
    // The windows' searches come back to the same index and row pages: 8 MB keeps more of them than SQLite's 2 MB
    // (at 300,000 scraps two words 70 -> 54 ms). Workers keep the default.
    connection->execute(QStringLiteral("PRAGMA cache_size = -8192"));
    return connection;
}

bool HasKindTable(Connection& connection)
{
    try {
        // Exact, case-sensitive comparison of the names, as the catalog gives them.
        Query tables(connection, QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table'"));
        while (tables.next()) {
            if (tables.text(0) == Schema::name(Schema::kDBID))
                return true;
        }
    } catch (const DbError& e) {
        qCWarning(lcDatabase) << "cannot read the table list of" << connection.path() << e.message();
    }
    return false;
}

int ReadDatabaseKind(Connection& connection)
{
    try {
        Query kind(connection, QStringLiteral("SELECT dbid FROM DBID ORDER BY rowid LIMIT 1"));
        if (kind.next() && !kind.isNull(0))
            return int(kind.integer(0));
    } catch (const DbError& e) {
        qCWarning(lcDatabase) << "cannot read the kind of" << connection.path() << e.message();
    }
    return 0;
}

KindCheck CheckDatabaseKind(Connection& connection)
{
    KindCheck check;
    check.hasKindTable = HasKindTable(connection);
    if (check.hasKindTable)
        check.kind = ReadDatabaseKind(connection);
    return check;
}

std::unique_ptr<ResultSet> OpenWritableResultSet(Connection* connection, const ResultSource& source, Failure* failure)
{
    if (!connection)
        return nullptr;
    try {
        std::unique_ptr<ResultSet> set = ResultSet::open(*connection, source);
        if (set->supportsAddNew())
            return set;
    } catch (const DbError& e) {
        qCWarning(lcDatabase) << "cannot open the result set:" << e.message();
        if (failure)
            *failure = e.failure(QStringLiteral("スクラップを検索できませんでした。"));
    }
    return nullptr;
}

QString databaseNameOf(const QString& path)
{
    const QString file = QFileInfo(path).fileName();
    return file.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive) ? file.chopped(4) : file;
}
