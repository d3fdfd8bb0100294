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

// The scrap's picture set number as stored, after checking that its index row still holds that document: a window
// kept open on a scrap deleted since must not write into whatever scrap took its row.
qint64 storedPictureSet(Connection& connection, const ScrapIdentity& scrap)
{
    Query query(connection, QStringLiteral("SELECT skID FROM MEMO_IDX WHERE rowid = ? AND DocNo = ?"));
    query.bind(1, scrap.rowid).bind(2, scrap.docNo);
    if (!query.next())
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("the scrap of the picture is gone"));
    return query.integer(0);
}

// After storedPictureSet, in the same transaction: the row is known to hold the scrap.
void setScrapPictureSet(Connection& connection, const ScrapIdentity& scrap, qint64 skID)
{
    Query update(connection, QStringLiteral("UPDATE MEMO_IDX SET skID = ? WHERE rowid = ?"));
    update.bind(1, qint64(skID)).bind(2, scrap.rowid).run();
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

void SaveCaption(Connection& connection, qint64 skID, qint64 rowid, const QString& caption)
{
    // The picture may be gone with its scrap (its class deleted), its row number taken by another scrap's picture.
    Query update(connection, QStringLiteral("UPDATE PHOTO_DRA SET a01 = ? WHERE rowid = ? AND skID = ?"));
    update.bind(1, leftWhole(caption, kCaptionLength)).bind(2, rowid).bind(3, skID).run();
    if (update.changes() == 0)
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("the picture of the caption is gone"));
}

void InsertPictureRow(Connection& connection, qint64 skID, const QString& caption, const QByteArray& jpeg)
{
    Query insert(connection, QStringLiteral("INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, ?, ?)"));
    insert.bind(1, qint64(skID)).bind(2, leftWhole(caption, kCaptionLength)).bind(3, jpeg).run();
}

qint64 AttachPicture(Connection& connection, const ScrapIdentity& scrap, const QString& caption, const QByteArray& jpeg)
{
    Transaction transaction(connection);
    qint64 skID = storedPictureSet(connection, scrap);
    if (skID == 0) {
        const Result<qint64> taken = TakeNextNumber(connection, NumberKind::skID);
        if (!taken)
            throw DbError(SQLITE_ERROR, QStringLiteral("no picture set number: ") + taken.failure().detail,
                          taken.failure().why);
        skID = *taken;
        setScrapPictureSet(connection, scrap, skID);
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

qint64 DeletePicture(Connection& connection, const ScrapIdentity& scrap, qint64 pictureRowid)
{
    Transaction transaction(connection);
    const qint64 skID = storedPictureSet(connection, scrap);
    Query remove(connection, QStringLiteral("DELETE FROM PHOTO_DRA WHERE rowid = ? AND skID = ?"));
    remove.bind(1, pictureRowid).bind(2, skID).run();
    if (remove.changes() != 1)
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("the picture is not in the scrap's set"));
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
        setScrapPictureSet(connection, scrap, 0);
    transaction.commit();
    return empty ? 0 : skID;
}
