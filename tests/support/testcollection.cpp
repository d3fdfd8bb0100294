#include "testcollection.h"

#include "database/connection.h"
#include "database/creation.h"
#include "database/query.h"

#include <QFile>

TestFolder::TestFolder() = default;

QString TestFolder::newCollection(const QString& name) const
{
    const QString file = path(name);
    createScrapDatabaseFile(file);
    return file;
}

QString TestFolder::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString file = path(name);
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
    return file;
}

QByteArray TestFolder::read(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void alterCollection(const QString& path, const QString& sql)
{
    auto connection = Connection::openExisting(path);
    connection->execute(sql);
}

qint64 scalar(Connection& connection, const QString& sql)
{
    Query query(connection, sql);
    return query.next() ? query.integer(0) : -99999;
}
