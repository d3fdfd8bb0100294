#include "scrapsources.h"

#include "connection.h"
#include "dberror.h"
#include "query.h"

#include <QUrl>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace ScrapSources {

namespace {

const QStringList kColumns = {u"DocNo"_s, u"address"_s, u"host"_s, u"title"_s, u"clippedAt"_s, u"pageCopy"_s};

QString table()
{
    return u'"' + QString::fromUtf16(kTable) + u'"';
}

bool hasOurShape(Connection& connection)
{
    Query info(connection, u"SELECT name FROM pragma_table_info(?)"_s);
    info.bind(1, QString::fromUtf16(kTable));
    QStringList present;
    while (info.next())
        present << info.text(0);
    if (present.isEmpty())
        return false;
    for (const QString& column : kColumns) {
        if (!present.contains(column))
            throw DbError(SQLITE_CORRUPT, u"the table of sources lacks its column "_s + column);
    }
    return true;
}

} // namespace

QString hostOf(const QString& address)
{
    return QUrl(address).host().toLower();
}

bool isPresent(Connection& connection)
{
    try {
        return hasOurShape(connection);
    } catch (const DbError&) {
        return false;
    }
}

void ensureTable(Connection& connection)
{
    if (hasOurShape(connection))
        return;
    // The time as ISO text with its offset, so it sorts and reads back as the moment it was.
    connection.execute(u"CREATE TABLE "_s + table() +
                       u" (DocNo INTEGER PRIMARY KEY, address TEXT NOT NULL, host TEXT NOT NULL, title TEXT NOT NULL, "
                       "clippedAt TEXT NOT NULL, pageCopy BLOB)"_s);
    connection.execute(u"CREATE INDEX IF NOT EXISTS zettora_sources_address ON "_s + table() + u" (address)"_s);
    connection.execute(u"CREATE INDEX IF NOT EXISTS zettora_sources_host ON "_s + table() + u" (host)"_s);
}

void save(Connection& connection, qint64 docNo, const ScrapSource& source)
{
    ensureTable(connection);
    Query write(connection, u"INSERT OR REPLACE INTO "_s + table() +
                                u" (DocNo, address, host, title, clippedAt, pageCopy) VALUES (?, ?, ?, ?, ?, ?)"_s);
    write.bind(1, docNo).bind(2, source.address).bind(3, hostOf(source.address)).bind(4, source.title);
    write.bind(5, source.clippedAt.toString(Qt::ISODateWithMs));
    if (source.pageCopy.isEmpty())
        write.bindNull(6);
    else
        write.bind(6, source.pageCopy);
    write.run();
}

bool attachPageCopy(Connection& connection, qint64 docNo, const QByteArray& pageCopy)
{
    if (!isPresent(connection))
        return false;
    Query write(connection, u"UPDATE "_s + table() + u" SET pageCopy = ? WHERE DocNo = ?"_s);
    write.bind(1, pageCopy).bind(2, docNo);
    write.run();
    return write.changes() == 1;
}

std::optional<ScrapSource> load(Connection& connection, qint64 docNo, bool withCopy)
{
    if (!isPresent(connection))
        return std::nullopt;
    Query read(connection, u"SELECT address, title, clippedAt, pageCopy IS NOT NULL, "_s +
                               (withCopy ? u"pageCopy"_s : u"NULL"_s) + u" FROM "_s + table() + u" WHERE DocNo = ?"_s);
    read.bind(1, docNo);
    if (!read.next())
        return std::nullopt;
    return ScrapSource{read.text(0), read.text(1), QDateTime::fromString(read.text(2), Qt::ISODateWithMs),
                       read.isNull(4) ? QByteArray() : read.blob(4), read.integer(3) != 0};
}

qint64 storedCopyBytes(Connection& connection)
{
    if (!isPresent(connection))
        return 0;
    Query read(connection, u"SELECT coalesce(sum(length(pageCopy)), 0) FROM "_s + table());
    return read.next() ? read.integer(0) : 0;
}

QList<qint64> scrapsFrom(Connection& connection, const QString& address)
{
    QList<qint64> docNos;
    if (!isPresent(connection))
        return docNos;
    Query read(connection, u"SELECT s.DocNo FROM "_s + table() +
                               u" s JOIN MEMO_IDX i ON i.DocNo = s.DocNo WHERE s.address = ? ORDER BY s.DocNo"_s);
    read.bind(1, address);
    while (read.next())
        docNos << read.integer(0);
    return docNos;
}

QHash<qint64, QString> addresses(Connection& connection)
{
    QHash<qint64, QString> found;
    if (!isPresent(connection))
        return found;
    Query read(connection, u"SELECT DocNo, address FROM "_s + table());
    while (read.next())
        found.insert(read.integer(0), read.text(1));
    return found;
}

QList<std::pair<QString, int>> sites(Connection& connection)
{
    QList<std::pair<QString, int>> found;
    if (!isPresent(connection))
        return found;
    Query read(connection, u"SELECT s.host, count(*) FROM "_s + table() +
                               u" s JOIN MEMO_IDX i ON i.DocNo = s.DocNo WHERE s.host <> '' GROUP BY s.host "
                               "ORDER BY s.host"_s);
    while (read.next())
        found.append({read.text(0), int(read.integer(1))});
    return found;
}

void remove(Connection& connection, qint64 docNo)
{
    if (!connection.hasTable(QString::fromUtf16(kTable)))
        return;
    Query write(connection, u"DELETE FROM "_s + table() + u" WHERE DocNo = ?"_s);
    write.bind(1, docNo);
    write.run();
}

CopyOptions readOptions(Connection& connection)
{
    CopyOptions options;
    if (!connection.hasTable(QString::fromUtf16(kOptionsTable)))
        return options;
    Query read(connection, u"SELECT name, value FROM "_s + QString::fromUtf16(kOptionsTable));
    while (read.next()) {
        const QString name = read.text(0);
        const qint64 value = read.integer(1);
        if (name == u"keepCopies")
            options.keepCopies = value != 0;
        else if (name == u"pageLimit" && value > 0)
            options.pageLimit = value;
        else if (name == u"collectionLimit" && value > 0)
            options.collectionLimit = value;
    }
    return options;
}

void writeOptions(Connection& connection, const CopyOptions& options)
{
    const QString table = QString::fromUtf16(kOptionsTable);
    connection.execute(u"CREATE TABLE IF NOT EXISTS "_s + table +
                       u" (name TEXT PRIMARY KEY, value INTEGER NOT NULL)"_s);
    Query write(connection, u"INSERT OR REPLACE INTO "_s + table + u" (name, value) VALUES (?, ?)"_s);
    const std::pair<QString, qint64> values[] = {{u"keepCopies"_s, options.keepCopies ? 1 : 0},
                                                 {u"pageLimit"_s, options.pageLimit},
                                                 {u"collectionLimit"_s, options.collectionLimit}};
    for (const auto& [name, value] : values) {
        write.bind(1, name).bind(2, value);
        write.run();
        write.reset();
    }
}

QString addressFilter()
{
    return u" WHERE DocNo IN (SELECT DocNo FROM "_s + table() + u" WHERE address = ?) ORDER BY +LevNo, DocNo"_s;
}

QString hostFilter()
{
    return u" WHERE DocNo IN (SELECT DocNo FROM "_s + table() + u" WHERE host = ?) ORDER BY +LevNo, DocNo"_s;
}

} // namespace ScrapSources
