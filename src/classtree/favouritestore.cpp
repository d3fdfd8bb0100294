#include "favouritestore.h"

#include "classtreelog.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/schema.h"
#include "database/transaction.h"

#include <QPair>

#include <limits>

namespace {

QString firstRowWithId()
{
    return QStringLiteral("rowid = (SELECT rowid FROM extraNodeWEB WHERE ndID = ? ORDER BY rowid LIMIT 1)");
}

Failure failed(const QString& what, const DbError& e)
{
    qCWarning(lcClassTree) << "cannot write the favourites:" << what << e.message();
    return e.failure(what);
}

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

Result<qint64> AddFavouriteRow(Connection& connection, const QString& fvName, const QString& fvAddress,
                               const QList<qint64>& idsInRowOrder)
{
    const QString what = QStringLiteral("お気に入りの追加に失敗しました。");
    // A page address past the column's width (long tracking parameters) cannot be kept, and a cut one leads elsewhere.
    const qsizetype addressWidth =
        Schema::column(*Schema::table(QStringLiteral("extraNodeWEB")), QStringLiteral("fvAddress"))->width;
    if (Schema::characterCount(fvAddress) > addressWidth)
        return Failure{
            what,
            QStringLiteral("このページのアドレスは%1文字を超えるため、お気に入りに追加できません。").arg(addressWidth)};
    try {
        Transaction transaction(connection);
        const Result<qint64> id = TakeNextNumber(connection, NumberKind::ndID);
        if (!id) {
            qCWarning(lcClassTree) << "no favourite identifier:" << id.failure().detail;
            return id.failure().as(what);
        }
        Query insert(connection,
                     QStringLiteral("INSERT INTO extraNodeWEB (ndWEB, ndID, fvName, fvAddress) VALUES (?, ?, ?, ?)"));
        insert.bind(1, 0).bind(2, *id).bind(3, fvName).bind(4, fvAddress).run();
        renumberFavourites(connection, QList<qint64>(idsInRowOrder) << *id);
        transaction.commit();
        return *id;
    } catch (const DbError& e) {
        return failed(what, e);
    }
}

int FavouriteRowOf(const QList<qint64>& idsInRowOrder, qint64 id)
{
    const qsizetype index = idsInRowOrder.indexOf(id);
    return index < 0 ? 0 : int(index) + 2;
}

Done RenumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder)
{
    try {
        Transaction transaction(connection);
        renumberFavourites(connection, idsInRowOrder);
        transaction.commit();
    } catch (const DbError& e) {
        return failed(QStringLiteral("お気に入りの並び順の登録に失敗しました。"), e);
    }
    return {};
}

Done DeleteFavouriteRow(Connection& connection, qint64 ndID, const QList<qint64>& idsInRowOrderAfter)
{
    try {
        Transaction transaction(connection);
        Query remove(connection, QStringLiteral("DELETE FROM extraNodeWEB WHERE ") + firstRowWithId());
        remove.bind(1, qint64(ndID)).run();
        renumberFavourites(connection, idsInRowOrderAfter);
        transaction.commit();
    } catch (const DbError& e) {
        return failed(QStringLiteral("データベースからの削除に失敗しました。"), e);
    }
    return {};
}

Done SaveFavouriteName(Connection& connection, qint64 ndID, const QString& fvName)
{
    try {
        Query rename(connection, QStringLiteral("UPDATE extraNodeWEB SET fvName = ? WHERE ") + firstRowWithId());
        rename.bind(1, fvName).bind(2, qint64(ndID)).run();
    } catch (const DbError& e) {
        return failed(QStringLiteral("お気に入りの名前の変更に失敗しました。"), e);
    }
    return {};
}

std::optional<QString> FavouriteAddress(Connection& connection, qint64 ndID)
{
    Query favourite(connection, QStringLiteral("SELECT fvAddress FROM extraNodeWEB WHERE ") + firstRowWithId());
    favourite.bind(1, qint64(ndID));
    if (favourite.next())
        return favourite.text(0);
    return std::nullopt;
}

QList<FavouriteSite> ListFavourites(Connection& connection)
{
    QList<FavouriteSite> sites;
    Query favourites(connection, QStringLiteral("SELECT fvName, fvAddress FROM extraNodeWEB ORDER BY ndWEB, rowid"));
    while (favourites.next())
        sites.append({favourites.text(0), favourites.text(1)});
    return sites;
}
