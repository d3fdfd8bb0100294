#include "picturetext.h"

#include "database/connection.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "search/fulltextmatch.h"

namespace {

const QString kOptions = QStringLiteral("zettora_picture_text_options");

QString tableName()
{
    return QString::fromUtf16(Schema::kPictureText);
}

} // namespace

namespace PictureText {

void ensureTables(Connection& connection)
{
    connection.execute(QString::fromLatin1(Schema::kCreatePictureText));
    connection.execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS zettora_picture_text_options (name TEXT PRIMARY KEY, value INTEGER NOT NULL)"));
}

bool exists(Connection& connection)
{
    return connection.hasTable(tableName());
}

namespace {

// length() of a blob reads its size from the row header, not the picture.
const QString kPendingWhere = QStringLiteral(
    " FROM PHOTO_DRA p WHERE p.skID <> 0 AND p.a02 IS NOT NULL AND EXISTS (SELECT 1 FROM MEMO_IDX i WHERE i.skID = "
    "p.skID) AND NOT EXISTS "
    "(SELECT 1 FROM zettora_picture_text t WHERE t.skID = p.skID AND t.size = length(p.a02) AND t.engine = ?)");

} // namespace

QList<Pending> pending(Connection& connection, const QString& engine, int limit)
{
    Query query(connection, QStringLiteral("SELECT p.rowid, p.skID, length(p.a02)") + kPendingWhere +
                                QStringLiteral(" ORDER BY p.rowid DESC LIMIT ?"));
    query.bind(1, engine).bind(2, qint64(limit));
    QList<Pending> pictures;
    while (query.next())
        pictures.append({query.integer(0), query.integer(1), query.integer(2)});
    return pictures;
}

qint64 pendingCount(Connection& connection, const QString& engine)
{
    Query query(connection, QStringLiteral("SELECT count(*)") + kPendingWhere);
    query.bind(1, engine);
    return query.next() ? query.integer(0) : 0;
}

std::optional<QByteArray> bytesOf(Connection& connection, const Pending& picture)
{
    Query query(connection,
                QStringLiteral("SELECT a02 FROM PHOTO_DRA WHERE rowid = ? AND skID = ? AND length(a02) = ?"));
    query.bind(1, picture.rowid).bind(2, picture.skID).bind(3, picture.size);
    if (!query.next())
        return std::nullopt;
    return query.blob(0);
}

bool store(Connection& connection, const Pending& picture, const Result<Recognition>& reading)
{
    Transaction transaction(connection);
    // A picture deleted while it was read leaves no text behind.
    Query still(connection, QStringLiteral("SELECT 1 FROM PHOTO_DRA WHERE skID = ? AND length(a02) = ?"));
    still.bind(1, picture.skID).bind(2, picture.size);
    if (!still.next())
        return false;
    Query insert(connection, QStringLiteral("INSERT OR REPLACE INTO zettora_picture_text (skID, size, engine, text, "
                                            "words, problem) VALUES (?, ?, ?, ?, ?, ?)"));
    insert.bind(1, picture.skID).bind(2, picture.size);
    if (reading) {
        insert.bind(3, reading->engine).bind(4, reading->text).bind(5, Ocr::wordsText(reading->words)).bindNull(6);
    } else {
        insert.bind(3, Ocr::engineVersion()).bind(4, QString()).bind(5, QString());
        insert.bind(6, reading.failure().why.isEmpty() ? reading.failure().detail : reading.failure().why);
    }
    insert.run();
    transaction.commit();
    return true;
}

std::optional<Stored> ofPicture(Connection& connection, qint64 pictureRowid)
{
    if (!exists(connection))
        return std::nullopt;
    Query query(connection, QStringLiteral("SELECT t.text, t.words, t.engine, t.problem FROM zettora_picture_text t "
                                           "JOIN PHOTO_DRA p ON t.skID = p.skID AND t.size = length(p.a02) WHERE "
                                           "p.rowid = ?"));
    query.bind(1, pictureRowid);
    if (!query.next())
        return std::nullopt;
    return Stored{query.text(0), Ocr::wordsFromText(query.text(1)), query.text(2), query.text(3)};
}

std::optional<Holding> firstHolding(Connection& connection, qint64 skID, const QStringList& words)
{
    if (skID == 0 || words.isEmpty() || !exists(connection))
        return std::nullopt;
    Query query(connection, QStringLiteral("SELECT p.rowid, t.text FROM PHOTO_DRA p LEFT JOIN zettora_picture_text t "
                                           "ON t.skID = p.skID AND t.size = length(p.a02) WHERE p.skID = ? "
                                           "ORDER BY p.rowid"));
    query.bind(1, skID);
    std::optional<Holding> found;
    int index = 0;
    for (; query.next(); ++index) {
        if (found || query.isNull(1))
            continue;
        const QString text = query.text(1);
        for (const QString& word : words) {
            if (!FullText::findAll(text, word).isEmpty()) {
                found = Holding{index, query.integer(0), word, 0};
                break;
            }
        }
    }
    if (found)
        found->count = index;
    return found;
}

QList<QRect> boxesOf(const QList<RecognisedWord>& words, const QStringList& searched)
{
    // The words' texts run together, each character remembering its box: the engine cuts Japanese into single
    // characters or short runs that a searched word crosses.
    QString joined;
    QList<int> boxOf;
    for (int w = 0; w < words.size(); ++w) {
        joined += words[w].text;
        boxOf.insert(boxOf.size(), words[w].text.size(), w);
    }
    QList<bool> covered(words.size(), false);
    for (QString word : searched) {
        word.remove(u' ').remove(u'\u3000');
        for (const FullText::Hit& hit : FullText::findAll(joined, word)) {
            for (int i = hit.start; i < hit.start + hit.length && i < boxOf.size(); ++i)
                covered[boxOf[i]] = true;
        }
    }
    QList<QRect> boxes;
    for (int w = 0; w < words.size(); ++w) {
        if (covered[w])
            boxes << words[w].box;
    }
    return boxes;
}

bool isEnabled(Connection& connection)
{
    if (!connection.hasTable(kOptions))
        return true;
    Query query(connection, QStringLiteral("SELECT value FROM zettora_picture_text_options WHERE name = 'enabled'"));
    return !query.next() || query.integer(0) != 0;
}

void setEnabled(Connection& connection, bool enabled)
{
    ensureTables(connection);
    Query update(connection, QStringLiteral("INSERT OR REPLACE INTO zettora_picture_text_options (name, value) "
                                            "VALUES ('enabled', ?)"));
    update.bind(1, qint64(enabled ? 1 : 0)).run();
}

} // namespace PictureText

namespace PictureText {

void copySets(Connection& from, Connection& to, const QList<qint64>& sets)
{
    if (!exists(from))
        return;
    ensureTables(to);
    Query read(from, QStringLiteral("SELECT skID, size, engine, text, words, problem FROM zettora_picture_text WHERE "
                                    "skID = ?"));
    Query write(to, QStringLiteral("INSERT OR REPLACE INTO zettora_picture_text (skID, size, engine, text, words, "
                                   "problem) VALUES (?, ?, ?, ?, ?, ?)"));
    for (const qint64 set : sets) {
        read.bind(1, set);
        while (read.next()) {
            for (int column = 0; column < 6; ++column)
                write.bindStored(column + 1, read, column);
            write.run();
            write.reset();
        }
        read.reset();
    }
}

} // namespace PictureText
