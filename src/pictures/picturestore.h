#pragma once

#include "common/scrapidentity.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class Connection;

// The pictures of a scrap: the PHOTO_DRA rows of its picture set number (skID; 0 means it has none). Functions
// throw DbError.

struct PictureEntry {
    qint64 rowid = 0;
    QString caption;
};

inline constexpr int kCaptionLength = 255;

// A picture pasted or dropped before its scrap exists: registration stores it with the scrap.
struct WaitingPicture {
    QString caption;
    QByteArray jpeg;
};

// Adds a picture row to set skID inside the caller's transaction.
void InsertPictureRow(Connection& connection, qint64 skID, const QString& caption, const QByteArray& jpeg);

// The pictures of set skID in the order they were stored; none for set 0.
QList<PictureEntry> ListPictures(Connection& connection, qint64 skID);
// The stored bytes of one picture, or nullopt when its row is gone.
[[nodiscard]] std::optional<QByteArray> PictureBytes(Connection& connection, qint64 rowid);
// Stores caption (cut to 255 characters) as the caption of picture rowid of set skID; throws DbError
// (kNoCurrentRow) when that picture is gone.
void SaveCaption(Connection& connection, qint64 skID, qint64 rowid, const QString& caption);

// Stores a picture for scrap: when its picture set number (as stored) is 0 a new number is taken and written into
// the scrap, in the same transaction as the picture's row, so no scrap is left pointing at an empty set. Returns the
// scrap's picture set number. Refuses, by throwing, a scrap whose index row no longer holds its document (deleted,
// or the row taken by a later scrap) and a counter at its limit.
qint64 AttachPicture(Connection& connection, const ScrapIdentity& scrap, const QString& caption,
                     const QByteArray& jpeg);
// Deletes one picture of scrap's set; when it was the last of its set, the scrap's picture set number becomes 0 in the
// same transaction. Returns the scrap's picture set number afterwards. Refuses a scrap as AttachPicture does, and a
// picture no longer in its set.
qint64 DeletePicture(Connection& connection, const ScrapIdentity& scrap, qint64 pictureRowid);
