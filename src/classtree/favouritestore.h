#pragma once

#include <QList>
#include <QString>

#include <optional>

class Connection;

// The favourites' rows in extraNodeWEB and their identifiers from the counter row. Functions throw DbError.

// Advances column `column` of the counter row (0 is ndID) and returns its new value. Refuses, by throwing, a
// missing counter row and a column at the 16-bit limit, so no identifier is handed out twice.
[[nodiscard]] qint16 NextIdNo(Connection& connection, int column);

void InsertFavouriteRow(Connection& connection, int ndWEB, int ndID, const QString& fvName, const QString& fvAddress);
// Takes the next identifier, stores the favourite under it and renumbers every favourite with the new one last
// in the tree after idsInRowOrder: all of it or nothing. Returns the identifier.
[[nodiscard]] qint16 AddFavouriteRow(Connection& connection, const QString& fvName, const QString& fvAddress,
                                     const QList<qint64>& idsInRowOrder);

// The tree row of the favourite with identifier id, given the identifiers of the root's children in order;
// 0 when it is not among them.
int FavouriteRowOf(const QList<qint64>& idsInRowOrder, qint64 id);
// Gives every stored favourite its row in the tree as display position (0 when it is not in the tree).
void RenumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder);

// Deletes the first row with identifier ndID (nothing when there is none) and renumbers the favourites left,
// given in their new row order, all or nothing.
void DeleteFavouriteRow(Connection& connection, qint16 ndID, const QList<qint64>& idsInRowOrderAfter);
// The address of the first favourite with identifier ndID, or nullopt when there is none.
[[nodiscard]] std::optional<QString> FavouriteAddress(Connection& connection, qint16 ndID);
void SaveFavouriteName(Connection& connection, qint16 ndID, const QString& fvName);

struct FavouriteSite {
    QString name;
    QString address;
};
// Every stored favourite in display order.
[[nodiscard]] QList<FavouriteSite> ListFavourites(Connection& connection);
