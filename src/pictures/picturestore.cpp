#include "picturestore.h"

#include "common/textcut.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/schema.h"
#include "database/transaction.h"

#include <sqlite3.h>

namespace {

void setScrapPictureSet(Connection& connection, qint64 scrapRowid, qint64 skID)
{
    Query update(connection, QStringLiteral("UPDATE MEMO_IDX SET skID = ? WHERE rowid = ?"));
    update.bind(1, qint64(skID)).bind(2, scrapRowid).run();
    if (update.changes() != 1)
        throw DbError(SQLITE_NOTFOUND, QStringLiteral("the scrap of the picture is gone"));
}

} // namespace

QList<PictureEntry> ListPictures(Connection& connection, qint64 skID)
{
    QList<PictureEntry> pictures;
    if (skID == 0)
        return pictures;
    Query query(connection, QStringLiteral("SELECT rowid, a01 FROM PHOTO_DRA WHERE skID = ? ORDER BY rowid"));
    query.bind(1, qint64(skID));
    while (query.next())
        pictures.append({query.integer(0), query.text(1)});
    return pictures;
}

std::optional<QByteArray> PictureBytes(Connection& connection, qint64 rowid)
{
    Query query(connection, QStringLiteral("SELECT a02 FROM PHOTO_DRA WHERE rowid = ?"));
    query.bind(1, rowid);
    if (!query.next())
        return std::nullopt;
    return query.blob(0);
}

void SaveCaption(Connection& connection, qint64 rowid, const QString& caption)
{
    Query update(connection, QStringLiteral("UPDATE PHOTO_DRA SET a01 = ? WHERE rowid = ?"));
    update.bind(1, leftWhole(caption, kCaptionLength)).bind(2, rowid).run();
}

void InsertPictureRow(Connection& connection, qint64 skID, const QString& caption, const QByteArray& jpeg)
{
    Query insert(connection, QStringLiteral("INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, ?, ?)"));
    insert.bind(1, qint64(skID)).bind(2, leftWhole(caption, kCaptionLength)).bind(3, jpeg).run();
}

qint64 AttachPicture(Connection& connection, qint64 scrapRowid, qint64 skID, const QString& caption,
                     const QByteArray& jpeg)
{
    Transaction transaction(connection);
    if (skID == 0) {
        const Result<qint64> taken = TakeNextNumber(connection, NumberKind::skID);
        if (!taken)
            throw DbError(SQLITE_ERROR, QStringLiteral("no picture set number: ") + taken.failure().detail,
                          taken.failure().why);
        skID = *taken;
        setScrapPictureSet(connection, scrapRowid, skID);
    }
    InsertPictureRow(connection, skID, caption, jpeg);
    // Text left from an earlier picture of this set and size is not this picture's.
    if (connection.hasTable(QString::fromUtf16(Schema::kPictureText))) {
        Query text(connection, QStringLiteral("DELETE FROM zettora_picture_text WHERE skID = ? AND size = ?"));
        text.bind(1, qint64(skID)).bind(2, qint64(jpeg.size())).run();
    }
    transaction.commit();
    return skID;
}

qint64 DeletePicture(Connection& connection, qint64 scrapRowid, qint64 skID, qint64 pictureRowid)
{
    Transaction transaction(connection);
    Query remove(connection, QStringLiteral("DELETE FROM PHOTO_DRA WHERE rowid = ?"));
    remove.bind(1, pictureRowid).run();
    Query left(connection, QStringLiteral("SELECT count(*) FROM PHOTO_DRA WHERE skID = ?"));
    left.bind(1, qint64(skID));
    const bool empty = left.next() && left.integer(0) == 0;
    // The text read from the picture goes with it: whatever no picture left in the set has the size of.
    if (connection.hasTable(QString::fromUtf16(Schema::kPictureText))) {
        Query text(connection, QStringLiteral("DELETE FROM zettora_picture_text WHERE skID = ? AND size NOT IN "
                                              "(SELECT length(a02) FROM PHOTO_DRA WHERE skID = ?)"));
        text.bind(1, qint64(skID)).bind(2, qint64(skID)).run();
    }
    if (empty)
        setScrapPictureSet(connection, scrapRowid, 0);
    transaction.commit();
    return empty ? 0 : skID;
}
