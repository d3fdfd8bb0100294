#include "favouritestore.h"

#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/transaction.h"

#include <QPair>

#include <limits>

namespace {

QString firstRowWithId()
{
    return QStringLiteral("rowid = (SELECT rowid FROM extraNodeWEB WHERE ndID = ? ORDER BY rowid LIMIT 1)");
}

} // namespace

qint16 NextIdNo(Connection& connection, int column)
{
    const Schema::Table* counter = Schema::table(Schema::name(Schema::kIDno));
    if (!counter || column < 0 || column >= int(counter->columns.size()))
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("no counter column %1").arg(column));
    const QString name = u'"' + QString::fromUtf16(counter->columns[column].name) + u'"';
    Query take(connection, QStringLiteral("UPDATE IDno SET ") + name + QStringLiteral(" = ") + name +
                               QStringLiteral(" + 1 WHERE rowid = (SELECT min(rowid) FROM IDno) AND ") + name +
                               QStringLiteral(" < ? RETURNING ") + name);
    take.bind(1, qint64(std::numeric_limits<qint16>::max()));
    if (!take.next())
        throw DbError(DbError::kNoCurrentRow,
                      QStringLiteral("the counter row is missing or its column is at its limit"));
    const auto value = qint16(take.integer(0));
    take.run();
    return value;
}

void InsertFavouriteRow(Connection& connection, int ndWEB, int ndID, const QString& fvName, const QString& fvAddress)
{
    Query insert(connection,
                 QStringLiteral("INSERT INTO extraNodeWEB (ndWEB, ndID, fvName, fvAddress) VALUES (?, ?, ?, ?)"));
    insert.bind(1, ndWEB).bind(2, ndID).bind(3, fvName).bind(4, fvAddress).run();
}

namespace {
void renumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder);
} // namespace

qint16 AddFavouriteRow(Connection& connection, const QString& fvName, const QString& fvAddress,
                       const QList<qint64>& idsInRowOrder)
{
    Transaction transaction(connection);
    const qint16 id = NextIdNo(connection, 0);
    InsertFavouriteRow(connection, 0, id, fvName, fvAddress);
    renumberFavourites(connection, QList<qint64>(idsInRowOrder) << id);
    transaction.commit();
    return id;
}

int FavouriteRowOf(const QList<qint64>& idsInRowOrder, qint64 id)
{
    const qsizetype index = idsInRowOrder.indexOf(id);
    return index < 0 ? 0 : int(index) + 2;
}

void RenumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder)
{
    Transaction transaction(connection);
    renumberFavourites(connection, idsInRowOrder);
    transaction.commit();
}

namespace {

// Inside the caller's transaction.
void renumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder)
{
    QList<QPair<qint64, int>> rows;
    {
        Query select(connection, QStringLiteral("SELECT rowid, ndID FROM extraNodeWEB"));
        while (select.next())
            rows.append({select.integer(0), FavouriteRowOf(idsInRowOrder, select.integer(1))});
    }
    Query update(connection, QStringLiteral("UPDATE extraNodeWEB SET ndWEB = ? WHERE rowid = ?"));
    for (const auto& [rowid, row] : rows) {
        update.bind(1, row).bind(2, rowid).run();
        update.reset();
    }
}

} // namespace

void DeleteFavouriteRow(Connection& connection, qint16 ndID, const QList<qint64>& idsInRowOrderAfter)
{
    Transaction transaction(connection);
    Query remove(connection, QStringLiteral("DELETE FROM extraNodeWEB WHERE ") + firstRowWithId());
    remove.bind(1, qint64(ndID)).run();
    renumberFavourites(connection, idsInRowOrderAfter);
    transaction.commit();
}

std::optional<QString> FavouriteAddress(Connection& connection, qint16 ndID)
{
    Query favourite(connection, QStringLiteral("SELECT fvAddress FROM extraNodeWEB WHERE ") + firstRowWithId());
    favourite.bind(1, qint64(ndID));
    if (favourite.next())
        return favourite.text(0);
    return std::nullopt;
}

void SaveFavouriteName(Connection& connection, qint16 ndID, const QString& fvName)
{
    Query rename(connection, QStringLiteral("UPDATE extraNodeWEB SET fvName = ? WHERE ") + firstRowWithId());
    rename.bind(1, fvName).bind(2, qint64(ndID)).run();
}

QList<FavouriteSite> ListFavourites(Connection& connection)
{
    QList<FavouriteSite> sites;
    Query favourites(connection, QStringLiteral("SELECT fvName, fvAddress FROM extraNodeWEB ORDER BY ndWEB, rowid"));
    while (favourites.next())
        sites.append({favourites.text(0), favourites.text(1)});
    return sites;
}
