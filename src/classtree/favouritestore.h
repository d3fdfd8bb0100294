#pragma once

#include "common/result.h"

#include <QList>
#include <QString>

#include <optional>

class Connection;

// The favourites' rows in extraNodeWEB and their identifiers from the counter row. Each write happens whole or not
// at all; a failure says what failed and why.

// Takes the next identifier, stores the favourite under it and renumbers every favourite with the new one last
// in the tree after idsInRowOrder. Returns the identifier.
[[nodiscard]] Result<qint64> AddFavouriteRow(Connection& connection, const QString& fvName, const QString& fvAddress,
                                             const QList<qint64>& idsInRowOrder);

// The tree row of the favourite with identifier id, given the identifiers of the root's children in order;
// 0 when it is not among them.
int FavouriteRowOf(const QList<qint64>& idsInRowOrder, qint64 id);
// Gives every stored favourite its row in the tree as display position (0 when it is not in the tree).
[[nodiscard]] Done RenumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder);

// Deletes the first row with identifier ndID (nothing when there is none) and renumbers the favourites left,
// given in their new row order.
[[nodiscard]] Done DeleteFavouriteRow(Connection& connection, qint64 ndID, const QList<qint64>& idsInRowOrderAfter);
[[nodiscard]] Done SaveFavouriteName(Connection& connection, qint64 ndID, const QString& fvName);

// The address of the first favourite with identifier ndID, or nullopt when there is none. Throws DbError.
[[nodiscard]] std::optional<QString> FavouriteAddress(Connection& connection, qint64 ndID);

struct FavouriteSite {
    QString name;
    QString address;
};
// Every stored favourite in display order. Throws DbError.
[[nodiscard]] QList<FavouriteSite> ListFavourites(Connection& connection);
