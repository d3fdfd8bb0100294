#include "connection.h"

#include "dberror.h"
#include "query.h"

#include <QFile>
#include <QFileInfo>

#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

SQLite::Database openEngine(const QString& path, int flags)
{
    try {
        return SQLite::Database(path.toStdString(), flags);
    } catch (const SQLite::Exception& e) {
        throw DbError(e.getErrorCode(), QString::fromUtf8(e.what()));
    }
}

} // namespace

Connection::Connection(const QString& path, int flags)
    : m_path(path)
    , m_db(openEngine(path, flags))
{}

Connection::~Connection() = default;

// Connections are opened without the engine's mutex: the program uses each one from its GUI thread only, and
// the locking on every column read cost more than reading the column.
std::unique_ptr<Connection> Connection::openExisting(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("no such file: ") + path);
    std::unique_ptr<Connection> connection(new Connection(path, SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX));
    connection->configure();
    return connection;
}

std::unique_ptr<Connection> Connection::createNew(const QString& path)
{
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw DbError(DbError::kFileExists, QStringLiteral("a file of that name already exists: ") + path);
    std::unique_ptr<Connection> connection(
        new Connection(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_NOMUTEX));
    connection->configure();
    return connection;
}

void Connection::configure()
{
    // A write that returned must be on disk; a busy file is waited for briefly rather than failed at once.
    sqlite3_busy_timeout(handle(), 2000);
    execute(QStringLiteral("PRAGMA synchronous = FULL"));
    // A collection may come from anyone: its schema cannot reach functions with effects, nor corrupt memory.
    sqlite3_db_config(handle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    execute(QStringLiteral("PRAGMA cell_size_check = ON"));
    execute(QStringLiteral("PRAGMA mmap_size = 0"));
}

void Connection::refuseWrites(bool untilChecked)
{
    execute(QStringLiteral("PRAGMA query_only = 1"));
    m_refusedUntilChecked = untilChecked;
}

int Connection::errorCode(int rc) const
{
    return (rc & 0xFF) == SQLITE_READONLY && m_refusedUntilChecked ? DbError::kNotYetChecked : rc;
}

void Connection::allowWrites()
{
    execute(QStringLiteral("PRAGMA query_only = 0"));
    m_refusedUntilChecked = false;
}

bool Connection::isWriteProtected() const
{
    if (sqlite3_db_readonly(handle(), "main") == 1)
        return true;
    // The effective user decides, as it does for SQLite's own opening.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    return faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0;
}

void Connection::execute(const QString& sql)
{
    Query query(*this, sql);
    query.run();
}

bool Connection::hasTable(const QString& name) const
{
    Query query(const_cast<Connection&>(*this),
                QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?"));
    query.bind(1, name);
    return query.next();
}

qint64 Connection::lastInsertRowid() const
{
    return sqlite3_last_insert_rowid(handle());
}
