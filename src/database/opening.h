#pragma once

#include <QString>

#include <memory>

class Connection;
class ResultSet;
struct ResultSource;

inline constexpr int kScrapDatabaseKind = 2;
inline constexpr int kSavedEditionKind = -2;

// Opens a connection to an existing file for reading and writing. Throws DbError; never creates a file.
std::unique_ptr<Connection> OpenSharedConnection(const QString& path);
// True when the file has a table named exactly "DBID"; false also when its catalog cannot be read
// (a file that is not a database at all).
bool HasKindTable(Connection& connection);
// DBID.dbid of the first row, or 0 when there is no row or it cannot be read.
int ReadDatabaseKind(Connection& connection);
// What opening a file found, after both checks.
struct KindCheck {
    bool hasKindTable = false;
    int kind = 0;
    bool accepted() const { return hasKindTable && (kind == kScrapDatabaseKind || kind == kSavedEditionKind); }
};
KindCheck CheckDatabaseKind(Connection& connection);

// Replaces the shared result set by one opened on source. True only when it opened and can add rows;
// on false the slot is left empty. Throws nothing: failures are logged.
bool OpenResultSet(Connection* connection, std::unique_ptr<ResultSet>& shared, const ResultSource& source);

// The database name shown as the caption: the file name without its extension.
QString databaseNameOf(const QString& path);
