#pragma once

#include <QList>
#include <QString>

class Connection;

// The favourites' rows in extraNodeWEB and their identifiers from the counter row. Functions throw DbError.

// Advances column `column` of the counter row (0 is ndID) and returns its new value. Refuses, by throwing, a
// missing counter row and a column at the 16-bit limit, so no identifier is handed out twice.
qint16 NextIdNo(Connection& connection, int column);

void InsertFavouriteRow(Connection& connection, int ndWEB, int ndID, const QString& fvName, const QString& fvAddress);
// Takes the next identifier and stores the favourite under it, both or neither; returns the identifier.
qint16 AddFavouriteRow(Connection& connection, const QString& fvName, const QString& fvAddress);

// The tree row of the favourite with identifier id, given the identifiers of the root's children in order;
// 0 when it is not among them.
int FavouriteRowOf(const QList<qint64>& idsInRowOrder, qint64 id);
// Gives every stored favourite its row in the tree as display position (0 when it is not in the tree).
void RenumberFavourites(Connection& connection, const QList<qint64>& idsInRowOrder);

// The first row with identifier ndID; nothing happens when there is none.
void DeleteFavouriteRow(Connection& connection, qint16 ndID);
void SaveFavouriteName(Connection& connection, qint16 ndID, const QString& fvName);
