#include "testcollection.h"

#include "database/connection.h"
#include "database/creation.h"
#include "database/query.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

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

void addScrap(Connection& connection, const TestScrap& s)
{
    Query insert(connection,
                 QStringLiteral("INSERT INTO MEMO_IDX (a01, a02, a03, a04, a05, a06, a07, skID, pfID, backC, "
                                "LevNo, DocNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.bindAll(
        {s.level, s.title, s.date, s.major, s.middle, s.minor, s.keyword, s.skID, s.pfID, s.backC, s.levNo, s.docNo});
    insert.run();
}

void addClass(Connection& connection, int ndP, const QString& name, int ndMEMO)
{
    Query insert(connection, QStringLiteral("INSERT INTO extraNodeMEMO (ndP, nName, ndMEMO) VALUES (?, ?, ?)"));
    insert.bindAll({ndP, name, ndMEMO});
    insert.run();
}

void addFavourite(Connection& connection, int ndWEB, int ndID, const QString& name, const QString& address)
{
    Query insert(connection,
                 QStringLiteral("INSERT INTO extraNodeWEB (ndWEB, ndID, fvName, fvAddress) VALUES (?, ?, ?, ?)"));
    insert.bindAll({ndWEB, ndID, name, address});
    insert.run();
}

void addBody(Connection& connection, qint64 pfID, const QString& text)
{
    Query insert(connection, QStringLiteral("INSERT INTO MEMO_DAT (pfID, a01) VALUES (?, ?)"));
    insert.bindAll({pfID, text});
    insert.run();
}

void addMark(Connection& connection, qint64 pfID, bool selUnder, int startP, int selLen)
{
    Query insert(connection,
                 QStringLiteral("INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (?, ?, ?, ?)"));
    insert.bindAll({pfID, selUnder ? 1 : 0, startP, selLen});
    insert.run();
}

QByteArray encodedPicture(const QSize& size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TestScrap numberedScrap(qint64 docNo, int levNo, const QStringList& classPath)
{
    TestScrap s;
    s.title = QStringLiteral("記事%1").arg(docNo);
    s.major = classPath.value(0);
    s.middle = classPath.value(1);
    s.minor = classPath.value(2);
    s.levNo = levNo;
    s.docNo = docNo;
    s.pfID = docNo;
    return s;
}
