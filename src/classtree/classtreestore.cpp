#include "classtreestore.h"

#include "classtreelog.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/transaction.h"

#include <QHash>
#include <QVariantList>

#include <utility>

namespace {

// What the user is told failed, by the step under way when the engine refused.
const char16_t kTreeRowsFailed[] = u"分類ツリーの登録に失敗しました。";
const char16_t kLevNoFailed[] = u"PHOTO_PIC->LevNo 訂正に失敗しました。";
const char16_t kRenameFailed[] = u"分類名の変更に失敗しました。";
const char16_t kRenameScrapsFailed[] = u"MEMO_IDX　分類訂正に失敗しました。";
const char16_t kDeleteFailed[] = u"分類の削除に失敗しました。";
const char16_t kDeleteScrapsFailed[] = u"MEMO_IDX 削除に失敗しました。";

Failure failed(const char16_t* step, const DbError& e)
{
    qCWarning(lcClassTree) << "cannot write the classification tree:" << QString::fromUtf16(step) << e.message();
    return e.failure(QString::fromUtf16(step));
}

// The pieces of the writes below; they throw DbError and leave the transaction to their caller.

void ClearTreeTable(Connection& connection)
{
    Query(connection, QStringLiteral("DELETE FROM extraNodeMEMO")).run();
}

void SaveTreeTable(Connection& connection, const QList<ClassRow>& rows)
{
    // Rows go in tree-row order: readers hang each class under a parent they have already seen.
    Query insert(connection, QStringLiteral("INSERT INTO extraNodeMEMO (ndP, nName, ndMEMO) VALUES (?, ?, ?)"));
    for (const ClassRow& row : rows) {
        insert.bind(1, row.ndP).bind(2, row.nName).bind(3, row.ndMEMO).run();
        insert.reset();
    }
}

void RenumberScrapLevNo(Connection& connection, const QList<ClassRow>& rows)
{
    // Each class's number by its path, then one pass over the scraps in the order they are stored: looking the scraps
    // up class by class visits the rows in a random order, which costs several times a pass on a large collection.
    connection.execute(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS zettora_class_numbers (a04 TEXT, a05 TEXT, "
                                      "a06 TEXT, LevNo INTEGER NOT NULL, PRIMARY KEY (a04, a05, a06))"));
    connection.execute(QStringLiteral("DELETE FROM temp.zettora_class_numbers"));
    // Two classes of one path (an empty name in another program's file): the scraps go to the upper one, met first.
    Query number(connection, QStringLiteral("INSERT OR IGNORE INTO temp.zettora_class_numbers VALUES (?, ?, ?, ?)"));
    for (const ClassRow& row : rows) {
        // A class with no path (below the minor level) would take the scraps filed under the root.
        if (row.path.major.isEmpty())
            continue;
        number.bind(1, row.path.major).bind(2, row.path.middle).bind(3, row.path.minor).bind(4, qint64(row.ndMEMO));
        number.run();
        number.reset();
    }
    // Rows already right are left alone, so a small change to a large collection writes little. The unary + keeps
    // SQLite from driving the update through the class index. A name left NULL by an old file's import is the empty
    // one.
    connection.execute(QStringLiteral(
        "UPDATE main.MEMO_IDX SET LevNo = c.LevNo FROM temp.zettora_class_numbers AS c WHERE c.a04 = +MEMO_IDX.a04 "
        "AND c.a05 = coalesce(MEMO_IDX.a05, '') AND c.a06 = coalesce(MEMO_IDX.a06, '') AND MEMO_IDX.LevNo IS NOT "
        "c.LevNo"));
    connection.execute(QStringLiteral("DELETE FROM temp.zettora_class_numbers"));
}

// The scraps of the class at path and level, but for those another class owns.
QString ownScrapsWhere(const ClassPath& path, int level, const QList<ClassPath>& ownedElsewhere, QVariantList& values)
{
    QString where = scrapsOfClassWhere(path, level, values);
    for (const ClassPath& other : ownedElsewhere) {
        where += QStringLiteral(" AND NOT (a04 = ? AND coalesce(a05, '') = ? AND coalesce(a06, '') = ?)");
        values << other.major << other.middle << other.minor;
    }
    return where;
}

void RenameInScraps(Connection& connection, const ClassPath& oldPath, const QString& newName, int level,
                    const QList<ClassPath>& ownedElsewhere)
{
    static constexpr const char16_t* kColumns[] = {u"a04", u"a05", u"a06"};
    if (level < 2 || level > 4)
        return;
    QVariantList values{newName};
    const QString where = ownScrapsWhere(oldPath, level, ownedElsewhere, values);
    Query update(connection, QStringLiteral("UPDATE MEMO_IDX SET ") + QString::fromUtf16(kColumns[level - 2]) +
                                 QStringLiteral(" = ?") + where);
    update.bindAll(values).run();
}

void DeleteScrapsOfClass(Connection& connection, const ClassPath& path, int level,
                         const QList<ClassPath>& ownedElsewhere)
{
    QVariantList values;
    const QString where = ownScrapsWhere(path, level, ownedElsewhere, values);
    DeleteScrapsOf(connection,
                   *ResultSet::open(connection, ResultSource::fromTable(QStringLiteral("MEMO_IDX"), where, values)));
}

} // namespace

QString scrapsOfClassWhere(const ClassPath& path, int level, QVariantList& values)
{
    QString where = QStringLiteral(" WHERE a04 = ?");
    values << path.major;
    // An empty name matches one left NULL by an old file's import, as renumbering takes it.
    const auto name = [&where, &values](const char* column, const QString& value) {
        if (value.isEmpty()) {
            where += QStringLiteral(" AND coalesce(%1, '') = ''").arg(QLatin1StringView(column));
            return;
        }
        where += QStringLiteral(" AND %1 = ?").arg(QLatin1StringView(column));
        values << value;
    };
    if (level >= 3)
        name("a05", path.middle);
    if (level >= 4)
        name("a06", path.minor);
    return where;
}

QList<ClassPath> pathsOwnedOutside(const QList<ClassRow>& rows, int first, int last, const ClassPath& path, int level)
{
    const auto under = [&](const ClassPath& p) {
        return !p.major.isEmpty() && p.major == path.major && (level < 3 || p.middle == path.middle) &&
               (level < 4 || p.minor == path.minor);
    };
    QList<ClassPath> seen;
    QList<ClassPath> outside;
    for (const ClassRow& row : rows) {
        if (!under(row.path) || seen.contains(row.path))
            continue;
        seen << row.path;
        if (row.ndMEMO < first || row.ndMEMO > last)
            outside << row.path;
    }
    return outside;
}

Done WriteClassTree(Connection& connection, const QList<ClassRow>& rows, bool renumber)
{
    const char16_t* step = kTreeRowsFailed;
    try {
        Transaction transaction(connection);
        ClearTreeTable(connection);
        SaveTreeTable(connection, rows);
        if (renumber) {
            step = kLevNoFailed;
            RenumberScrapLevNo(connection, rows);
        }
        step = kTreeRowsFailed;
        transaction.commit();
    } catch (const DbError& e) {
        return failed(step, e);
    }
    return {};
}

Done RenameClassEverywhere(Connection& connection, const ClassPath& oldPath, int level, const QString& newName,
                           const QList<ClassRow>& rowsAfter, const QList<ClassPath>& ownedElsewhere)
{
    const char16_t* step = kRenameFailed;
    try {
        Transaction transaction(connection);
        step = kRenameScrapsFailed;
        RenameInScraps(connection, oldPath, newName, level, ownedElsewhere);
        // The stored rows may stand in another order than the tree (another program's file): the class's row is
        // found by the tree, not by its number, so the whole tree is stored again and the scraps renumbered.
        step = kRenameFailed;
        ClearTreeTable(connection);
        SaveTreeTable(connection, rowsAfter);
        step = kLevNoFailed;
        RenumberScrapLevNo(connection, rowsAfter);
        step = kRenameFailed;
        transaction.commit();
    } catch (const DbError& e) {
        return failed(step, e);
    }
    return {};
}

Done DeleteClassEverywhere(Connection& connection, const ClassPath& path, int level, const QList<ClassRow>& rowsAfter,
                           const QList<ClassPath>& ownedElsewhere)
{
    // The root's empty path would take every scrap with it.
    if (path.major.isEmpty()) {
        qCWarning(lcClassTree) << "refused to delete the scraps of an empty class path";
        return Failure{QString::fromUtf16(kDeleteFailed), QStringLiteral("分類の名前がありません。"),
                       QStringLiteral("empty class path")};
    }
    const char16_t* step = kDeleteFailed;
    try {
        Transaction transaction(connection);
        step = kDeleteScrapsFailed;
        DeleteScrapsOfClass(connection, path, level, ownedElsewhere);
        step = kDeleteFailed;
        ClearTreeTable(connection);
        SaveTreeTable(connection, rowsAfter);
        step = kLevNoFailed;
        RenumberScrapLevNo(connection, rowsAfter);
        step = kDeleteFailed;
        transaction.commit();
    } catch (const DbError& e) {
        return failed(step, e);
    }
    return {};
}

CheckGrid::CheckGrid(const QList<ClassRow>& rows)
{
    m_rows.append({0, QString()});
    for (const ClassRow& row : rows)
        m_rows.append({row.ndP, row.nName});
}

bool CheckGrid::IsUniqueInFolder(int skipRow, int parentRow, const QString& name) const
{
    for (int i = 1; i < m_rows.size(); ++i) {
        if (i != skipRow && m_rows[i].parentRow == parentRow && m_rows[i].name == name)
            return false;
    }
    return true;
}

int CheckGrid::FindDuplicateFolder() const
{
    // Counted once, so that a folder import of thousands of classes is checked at once too.
    QHash<std::pair<int, QString>, int> uses;
    for (int i = 1; i < m_rows.size(); ++i)
        ++uses[{m_rows[i].parentRow, m_rows[i].name}];
    int found = 0;
    for (int i = 1; i < m_rows.size(); ++i) {
        if (uses.value({m_rows[i].parentRow, m_rows[i].name}) > 1)
            found = m_rows[i].parentRow;
    }
    return found;
}
