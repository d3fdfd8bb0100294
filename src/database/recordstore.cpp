#include "recordstore.h"

#include "connection.h"
#include "databaselog.h"
#include "dberror.h"
#include "query.h"
#include "resultset.h"
#include "schema.h"
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
    {}

    // row counts the set's visible rows from 0.
    void remove(int row)
    {
        const qint64 skID = m_shared.valueAt(row, m_skField).toLongLong();
        const qint64 pfID = m_shared.valueAt(row, m_pfField).toLongLong();
        // Picture set 0 means "no pictures": rows filed under it belong to no scrap.
        if (skID != 0)
            runWith(m_pictures, skID);
        runWith(m_marks, pfID);
        runWith(m_body, pfID);
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
};

} // namespace

TakenNumber TakeNextNumber(Connection& connection, NumberKind kind)
{
    const QString name = QString::fromUtf16(counterColumn(kind));
    const QString column = quoted(counterColumn(kind));
    const QString counter = quoted(Schema::kIDno);
    try {
        // One statement reads and advances, so it works inside a caller's transaction and no two takers meet.
        Query take(connection, u"UPDATE "_s + counter + u" SET "_s + column + u" = "_s + column +
                                   u" + 1 WHERE rowid = (SELECT min(rowid) FROM "_s + counter + u") AND "_s + column +
                                   u" BETWEEN ? AND ? RETURNING "_s + column);
        take.bind(1, qint64(std::numeric_limits<qint16>::min()) - 1);
        take.bind(2, qint64(std::numeric_limits<qint16>::max()) - 1);
        if (take.next()) {
            const auto value = qint16(take.integer(0));
            take.run(); // outside a transaction the change is committed only when the statement finishes
            return {value, false};
        }
        Query look(connection, u"SELECT "_s + column + u" FROM "_s + counter + u" ORDER BY rowid LIMIT 1"_s);
        if (!look.next()) {
            qCWarning(lcDatabase) << "no number taken: the counter row is missing";
            return {-1, true};
        }
        qCWarning(lcDatabase).noquote() << "no number taken:" << name << "holds" << look.value(0).toString();
    } catch (const DbError& e) {
        qCWarning(lcDatabase).noquote() << "no number taken from" << name << "-" << e.message();
    } catch (const std::exception& e) {
        qCWarning(lcDatabase).noquote() << "no number taken from" << name << "-" << e.what();
    }
    return {};
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

void AddScrapBody(Connection& connection, qint16 pfID, const QString& text)
{
    Query insert(connection, u"INSERT INTO "_s + quoted(Schema::kMemoDat) + u" ("_s + quoted(kPfID) + u", "_s +
                                 quoted(kA01) + u") VALUES (?, ?)"_s);
    insert.bind(1, qint64(pfID)).bind(2, text).run();
}

void AppendMarkRow(Connection& connection, qint16 pfID, const MarkRow& mark)
{
    Query insert(connection, u"INSERT INTO "_s + quoted(Schema::kMemoUnderline) + u" ("_s + quoted(kPfID) + u", "_s +
                                 quoted(kSelUnder) + u", "_s + quoted(kStartP) + u", "_s + quoted(kSelLen) +
                                 u") VALUES (?, ?, ?, ?)"_s);
    insert.bind(1, qint64(pfID)).bind(2, mark.selUnder ? 1 : 0).bind(3, mark.startP).bind(4, mark.selLen).run();
}

std::optional<QString> LoadScrapBody(Connection& connection, qint16 pfID)
{
    Query read(connection, u"SELECT "_s + quoted(kA01) + u" FROM "_s + quoted(Schema::kMemoDat) + u" WHERE "_s +
                               quoted(kPfID) + u" = ? ORDER BY rowid LIMIT 1"_s);
    read.bind(1, qint64(pfID));
    if (!read.next())
        return std::nullopt;
    return read.text(0);
}

bool SaveScrapBody(Connection& connection, qint16 pfID, const QString& text)
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

QList<MarkRow> LoadMarks(Connection& connection, qint16 pfID)
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

void DeleteScrapBody(Connection& connection, qint16 pfID)
{
    Query remove(connection, deleteWhere(Schema::kMemoDat, kPfID));
    runWith(remove, pfID);
}

void DeleteScrapMarks(Connection& connection, qint16 pfID)
{
    Query remove(connection, deleteWhere(Schema::kMemoUnderline, kPfID));
    runWith(remove, pfID);
}

void DeletePictureSet(Connection& connection, qint16 skID)
{
    // Picture set 0 means "no pictures": rows filed under it belong to no scrap.
    if (skID == 0)
        return;
    Query remove(connection, deleteWhere(Schema::kPhotoDra, kSkID));
    runWith(remove, skID);
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

void DeleteAllResults(Connection& connection, ResultSet& shared)
{
    requireScrapIndex(shared);
    Transaction transaction(connection);
    ScrapRemoval removal(connection, shared);
    for (int row = 0; row < shared.recordCount(); ++row)
        removal.remove(row);
    transaction.commit();
    shared.forgetVisible();
}
