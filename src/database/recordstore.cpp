#include "recordstore.h"

#include "connection.h"
#include "databaselog.h"
#include "dberror.h"
#include "query.h"
#include "resultset.h"
#include "schema.h"
#include "scrapsources.h"
#include "transaction.h"

#include <sqlite3.h>

#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kA01[] = u"a01";
constexpr char16_t kA02[] = u"a02";
constexpr char16_t kA03[] = u"a03";
constexpr char16_t kA04[] = u"a04";
constexpr char16_t kA05[] = u"a05";
constexpr char16_t kA06[] = u"a06";
constexpr char16_t kA07[] = u"a07";
constexpr char16_t kSkID[] = u"skID";
constexpr char16_t kPfID[] = u"pfID";
constexpr char16_t kBackC[] = u"backC";
constexpr char16_t kLevNo[] = u"LevNo";
constexpr char16_t kDocNo[] = u"DocNo";
constexpr char16_t kSelUnder[] = u"SelUNDER";
constexpr char16_t kStartP[] = u"StartP";
constexpr char16_t kSelLen[] = u"SelLen";

QString quoted(const char16_t* identifier)
{
    return u'"' + QString::fromUtf16(identifier) + u'"';
}

const char16_t* counterColumn(NumberKind kind)
{
    switch (kind) {
    case NumberKind::DocNo:
        return kDocNo;
    case NumberKind::skID:
        return kSkID;
    case NumberKind::pfID:
        return kPfID;
    case NumberKind::ndID:
        return u"ndID";
    }
    return kPfID;
}

QString deleteWhere(const char16_t* table, const char16_t* column)
{
    return u"DELETE FROM "_s + quoted(table) + u" WHERE "_s + quoted(column) + u" = ?"_s;
}

void runWith(Query& query, qint64 number)
{
    query.bind(1, number).run();
    query.reset();
}

void requireScrapIndex(const ResultSet& shared)
{
    if (shared.table() != Schema::name(Schema::kMemoIdx))
        throw DbError(SQLITE_MISUSE, u"not a result set on the scrap index: "_s + shared.table());
}

// The statements that delete scraps, prepared once however many scraps go. Numbers and rowids are read from
// the set's snapshot, not from pending edits, so that exactly the stored rows go.
class ScrapRemoval {
public:
    ScrapRemoval(Connection& connection, const ResultSet& shared)
        : m_shared(shared)
        , m_skField(shared.fieldIndex(Schema::name(kSkID)))
        , m_pfField(shared.fieldIndex(Schema::name(kPfID)))
        , m_pictures(connection, deleteWhere(Schema::kPhotoDra, kSkID))
        , m_marks(connection, deleteWhere(Schema::kMemoUnderline, kPfID))
        , m_body(connection, deleteWhere(Schema::kMemoDat, kPfID))
        , m_index(connection, u"DELETE FROM "_s + quoted(Schema::kMemoIdx) + u" WHERE rowid = ?"_s)
    {
        if (connection.hasTable(QString::fromUtf16(Schema::kPictureText)))
            m_pictureText.emplace(connection, deleteWhere(Schema::kPictureText, kSkID));
        // A collection never clipped from the web has no sources to delete.
        if (connection.hasTable(QString::fromUtf16(ScrapSources::kTable))) {
            m_docField = shared.fieldIndex(Schema::name(kDocNo));
            m_sources.emplace(connection, deleteWhere(ScrapSources::kTable, kDocNo));
        }
    }

    // row counts the set's visible rows from 0.
    void remove(int row)
    {
        const qint64 skID = m_shared.valueAt(row, m_skField).toLongLong();
        const QVariant body = m_shared.valueAt(row, m_pfField);
        // Picture set 0 means "no pictures": rows filed under it belong to no scrap.
        if (skID != 0) {
            runWith(m_pictures, skID);
            if (m_pictureText)
                runWith(*m_pictureText, skID);
        }
        // No body number (another program's file): the rows numbered 0 are some other scrap's, if anyone's.
        if (!body.isNull() && body.toLongLong() > 0) {
            runWith(m_marks, body.toLongLong());
            runWith(m_body, body.toLongLong());
        }
        if (m_sources)
            runWith(*m_sources, m_shared.valueAt(row, m_docField).toLongLong());
        runWith(m_index, m_shared.rowidAt(row));
    }

private:
    const ResultSet& m_shared;
    int m_skField;
    int m_pfField;
    Query m_pictures;
    Query m_marks;
    Query m_body;
    Query m_index;
    std::optional<Query> m_pictureText;
    int m_docField = -1;
    std::optional<Query> m_sources;
};

} // namespace

QString counterColumnOf(NumberKind kind)
{
    return QString::fromUtf16(counterColumn(kind));
}

Result<qint64> TakeNextNumber(Connection& connection, NumberKind kind)
{
    const QString name = counterColumnOf(kind);
    const QString column = quoted(counterColumn(kind));
    const QString counter = quoted(Schema::kIDno);
    const QString failed = QStringLiteral("番号を取れませんでした。");
    try {
        Query look(connection, u"SELECT "_s + column + u" FROM "_s + counter + u" ORDER BY rowid LIMIT 1"_s);
        if (!look.next()) {
            qCWarning(lcDatabase) << "no number taken: the counter row is missing";
            return Failure{failed, kNoCounterRow, QStringLiteral("no counter row")};
        }
        const qint64 stored = look.integer(0);
        const qint64 inUse = connection.numberInUse(name);
        // One statement moves and advances, so it works inside a caller's transaction and no two takers meet.
        Query take(connection, u"UPDATE "_s + counter + u" SET "_s + column + u" = max(coalesce("_s + column +
                                   u", 0), ?) + 1 WHERE rowid = (SELECT min(rowid) FROM "_s + counter + u") AND "_s +
                                   u"max(coalesce("_s + column + u", 0), ?) < ? RETURNING "_s + column);
        take.bind(1, inUse).bind(2, inUse).bind(3, std::numeric_limits<qint64>::max());
        if (take.next()) {
            const qint64 value = take.integer(0);
            take.run(); // outside a transaction the change is committed only when the statement finishes
            if (stored < inUse)
                qCWarning(lcDatabase).noquote() << "the counter" << name << "stood at" << stored
                                                << "behind the number in use" << inUse << "; moved up to it";
            return value;
        }
        qCWarning(lcDatabase).noquote() << "no number taken:" << name << "holds" << look.value(0).toString();
        return Failure{failed, kNumbersUsedUp, name};
    } catch (const DbError& e) {
        qCWarning(lcDatabase).noquote() << "no number taken from" << name << "-" << e.message();
        return e.failure(failed);
    }
}

qint64 LargestNumberInUse(Connection& connection, NumberKind kind)
{
    QString sql;
    switch (kind) {
    case NumberKind::DocNo:
        sql = u"SELECT max(DocNo) FROM MEMO_IDX"_s;
        break;
    case NumberKind::pfID:
        // max() of several values is NULL when one is: an empty table counts as 0.
        sql =
            u"SELECT max(coalesce((SELECT max(pfID) FROM MEMO_IDX), 0), coalesce((SELECT max(pfID) FROM MEMO_DAT), 0), "
            u"coalesce((SELECT max(pfID) FROM MEMO_UNDERLINE), 0))"_s;
        break;
    case NumberKind::skID:
        sql =
            u"SELECT max(coalesce((SELECT max(skID) FROM MEMO_IDX), 0), coalesce((SELECT max(skID) FROM PHOTO_DRA), 0))"_s;
        break;
    case NumberKind::ndID:
        sql = u"SELECT max(ndID) FROM extraNodeWEB"_s;
        break;
    }
    Query largest(connection, sql);
    // A column of another tool's text counts for nothing: integer() reads it as 0.
    return largest.next() && !largest.isNull(0) ? std::max<qint64>(largest.integer(0), 0) : 0;
}

QStringList NumbersUsedTwice(Connection& connection)
{
    QStringList found;
    const std::pair<const char16_t*, const char16_t*> kinds[] = {
        {u"DocNo", u"文書番号"}, {u"pfID", u"本文番号"}, {u"skID", u"画像番号"}};
    for (const auto& [column, caption] : kinds) {
        const QString name = QString::fromUtf16(column);
        Query twice(connection, u"SELECT "_s + name + u", group_concat(a02, '」「') FROM MEMO_IDX WHERE "_s + name +
                                    u" <> 0 GROUP BY "_s + name + u" HAVING count(*) > 1 ORDER BY "_s + name +
                                    u" LIMIT 20"_s);
        while (twice.next())
            found << QString::fromUtf16(caption) + u' ' + twice.value(0).toString() + u"：「"_s + twice.text(1) + u'」';
    }
    return found;
}

void AddScrapIndex(ResultSet& shared, const ScrapIndex& index)
{
    requireScrapIndex(shared);
    // Numbers go in as the engine hands them back, so the new row's snapshot compares like the loaded ones.
    const std::pair<const char16_t*, QVariant> fields[] = {
        {kA01, index.a01},
        {kA02, index.a02},
        {kA03, index.a03},
        {kA04, index.a04},
        {kA05, index.a05},
        {kA06, index.a06},
        {kA07, index.a07},
        {kSkID, qint64(index.skID)},
        {kPfID, qint64(index.pfID)},
        {kBackC, index.backC},
        {kLevNo, qint64(index.levNo)},
        {kDocNo, qint64(index.docNo)},
    };
    shared.addNew();
    try {
        for (const auto& [name, value] : fields)
            shared.setValue(Schema::name(name), value);
        shared.update();
    } catch (...) {
        shared.cancelUpdate();
        throw;
    }
}

void AddScrapBody(Connection& connection, qint64 pfID, const QString& text)
{
    Query insert(connection, u"INSERT INTO "_s + quoted(Schema::kMemoDat) + u" ("_s + quoted(kPfID) + u", "_s +
                                 quoted(kA01) + u") VALUES (?, ?)"_s);
    insert.bind(1, qint64(pfID)).bind(2, text).run();
}

void AppendMarkRow(Connection& connection, qint64 pfID, const MarkRow& mark)
{
    Query insert(connection, u"INSERT INTO "_s + quoted(Schema::kMemoUnderline) + u" ("_s + quoted(kPfID) + u", "_s +
                                 quoted(kSelUnder) + u", "_s + quoted(kStartP) + u", "_s + quoted(kSelLen) +
                                 u") VALUES (?, ?, ?, ?)"_s);
    insert.bind(1, qint64(pfID)).bind(2, mark.selUnder ? 1 : 0).bind(3, mark.startP).bind(4, mark.selLen).run();
}

void ReplaceMarks(Connection& connection, qint64 pfID, const QList<MarkRow>& marks)
{
    Query drop(connection,
               u"DELETE FROM "_s + quoted(Schema::kMemoUnderline) + u" WHERE "_s + quoted(kPfID) + u" = ?"_s);
    drop.bind(1, qint64(pfID)).run();
    for (const MarkRow& mark : marks)
        AppendMarkRow(connection, pfID, mark);
}

std::optional<QString> LoadScrapBody(Connection& connection, qint64 pfID)
{
    Query read(connection, u"SELECT "_s + quoted(kA01) + u" FROM "_s + quoted(Schema::kMemoDat) + u" WHERE "_s +
                               quoted(kPfID) + u" = ? ORDER BY rowid LIMIT 1"_s);
    read.bind(1, qint64(pfID));
    if (!read.next())
        return std::nullopt;
    return read.text(0);
}

bool SaveScrapBody(Connection& connection, qint64 pfID, const QString& text)
{
    const QString table = quoted(Schema::kMemoDat);
    Query write(connection, u"UPDATE "_s + table + u" SET "_s + quoted(kA01) +
                                u" = ? WHERE rowid = (SELECT rowid FROM "_s + table + u" WHERE "_s + quoted(kPfID) +
                                u" = ? ORDER BY rowid LIMIT 1)"_s);
    write.bind(1, text).bind(2, qint64(pfID)).run();
    if (write.changes() != 1)
        return false;
    // Marks beyond a body made shorter would be cut away at every showing: they are cut in the log too.
    const QString marks = quoted(Schema::kMemoUnderline);
    const qint64 length = text.size();
    Query drop(connection, u"DELETE FROM "_s + marks + u" WHERE "_s + quoted(kPfID) + u" = ? AND "_s + quoted(kStartP) +
                               u" >= ?"_s);
    drop.bind(1, qint64(pfID)).bind(2, length).run();
    Query cut(connection, u"UPDATE "_s + marks + u" SET "_s + quoted(kSelLen) + u" = ? - "_s + quoted(kStartP) +
                              u" WHERE "_s + quoted(kPfID) + u" = ? AND "_s + quoted(kStartP) + u" + "_s +
                              quoted(kSelLen) + u" > ?"_s);
    cut.bind(1, length).bind(2, qint64(pfID)).bind(3, length).run();
    return true;
}

QList<MarkRow> LoadMarks(Connection& connection, qint64 pfID)
{
    Query read(connection, u"SELECT "_s + quoted(kSelUnder) + u", "_s + quoted(kStartP) + u", "_s + quoted(kSelLen) +
                               u" FROM "_s + quoted(Schema::kMemoUnderline) + u" WHERE "_s + quoted(kPfID) +
                               u" = ? ORDER BY rowid"_s);
    read.bind(1, qint64(pfID));
    QList<MarkRow> marks;
    while (read.next())
        marks.append({read.integer(0) != 0, int(read.integer(1)), int(read.integer(2))});
    return marks;
}

void DeleteScrapBody(Connection& connection, qint64 pfID)
{
    Query remove(connection, deleteWhere(Schema::kMemoDat, kPfID));
    runWith(remove, pfID);
}

void DeleteScrapMarks(Connection& connection, qint64 pfID)
{
    Query remove(connection, deleteWhere(Schema::kMemoUnderline, kPfID));
    runWith(remove, pfID);
}

void DeletePictureSet(Connection& connection, qint64 skID)
{
    // Picture set 0 means "no pictures": rows filed under it belong to no scrap.
    if (skID == 0)
        return;
    Query remove(connection, deleteWhere(Schema::kPhotoDra, kSkID));
    runWith(remove, skID);
    // The text read from the pictures goes with them.
    if (connection.hasTable(QString::fromUtf16(Schema::kPictureText))) {
        Query text(connection, deleteWhere(Schema::kPictureText, kSkID));
        runWith(text, skID);
    }
}

void DeleteCurrentScrap(Connection& connection, ResultSet& shared)
{
    requireScrapIndex(shared);
    shared.rowid(); // throws when there is no current record
    Transaction transaction(connection);
    ScrapRemoval removal(connection, shared);
    removal.remove(shared.absolutePosition() - 1);
    transaction.commit();
    shared.forgetCurrent();
}

void DeleteScrapsOf(Connection& connection, const ResultSet& scraps)
{
    requireScrapIndex(scraps);
    ScrapRemoval removal(connection, scraps);
    for (int row = 0; row < scraps.recordCount(); ++row)
        removal.remove(row);
}

void DeleteAllResults(Connection& connection, ResultSet& shared)
{
    Transaction transaction(connection);
    DeleteScrapsOf(connection, shared);
    transaction.commit();
    shared.forgetVisible();
}
