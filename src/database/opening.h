#pragma once

#include "common/result.h"

#include <QString>

#include <memory>

class Connection;
class ResultSet;
struct ResultSource;

// What DBID.dbid says a file is. A saved edition is a read-only copy of search results.
enum class DatabaseKind : int { None = 0, Scrap = 2, SavedEdition = -2 };

// Opens a connection to an existing file for reading and writing. Throws DbError; never creates a file.
std::unique_ptr<Connection> OpenSharedConnection(const QString& path);
// True when the file has a table named exactly "DBID"; false also when its catalog cannot be read
// (a file that is not a database at all).
[[nodiscard]] bool HasKindTable(Connection& connection);
// DBID.dbid of the first row, or 0 when there is no row or it cannot be read.
[[nodiscard]] int ReadDatabaseKind(Connection& connection);
// What opening a file found, after both checks.
struct KindCheck {
    bool hasKindTable = false;
    int kind = 0; // as stored, which may be any number
    bool accepted() const
    {
        return hasKindTable && (kind == int(DatabaseKind::Scrap) || kind == int(DatabaseKind::SavedEdition));
    }
    DatabaseKind acceptedKind() const { return accepted() ? DatabaseKind(kind) : DatabaseKind::None; }
};
[[nodiscard]] KindCheck CheckDatabaseKind(Connection& connection);

// A result set opened on source that can add rows, or null when it cannot be opened or written through.
// Throws nothing: failures are logged, and told in failure when one is given.
[[nodiscard]] std::unique_ptr<ResultSet> OpenWritableResultSet(Connection* connection, const ResultSource& source,
                                                               Failure* failure = nullptr);

// The database name shown as the caption: the file name without its extension.
QString databaseNameOf(const QString& path);
