#include "classtreestore.h"

#include "classtreelog.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/transaction.h"

#include <QHash>
#include <QVariantList>

#include <utility>

namespace {

// The scraps of a class and of every class below it: the levels its path names must match, the others are free.
QString scrapsUnder(const ClassPath& path, QVariantList& values)
{
    QString where = QStringLiteral(" WHERE a04 = ?");
    values << path.major;
    if (!path.middle.isEmpty()) {
        where += QStringLiteral(" AND a05 = ?");
        values << path.middle;
        if (!path.minor.isEmpty()) {
            where += QStringLiteral(" AND a06 = ?");
            values << path.minor;
        }
    }
    return where;
}

} // namespace

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
    // Rows already right are left alone, so a small change to a large collection writes little.
    Query update(connection, QStringLiteral("UPDATE MEMO_IDX SET LevNo = ? WHERE a04 = ? AND a05 = ? AND a06 = ? "
                                            "AND LevNo IS NOT ?"));
    for (const ClassRow& row : rows) {
        // A class with no path (below the minor level) would take the scraps filed under the root.
        if (row.path.major.isEmpty())
            continue;
        update.bind(1, qint16(row.ndMEMO))
            .bind(2, row.path.major)
            .bind(3, row.path.middle)
            .bind(4, row.path.minor)
            .bind(5, qint16(row.ndMEMO))
            .run();
        update.reset();
    }
}

void RenameInScraps(Connection& connection, const ClassPath& oldPath, const QString& newName, int level)
{
    static constexpr const char16_t* kColumns[] = {u"a04", u"a05", u"a06"};
    if (level < 2 || level > 4)
        return;
    QVariantList values{newName};
    const QString where = scrapsUnder(oldPath, values);
    Query update(connection, QStringLiteral("UPDATE MEMO_IDX SET ") + QString::fromUtf16(kColumns[level - 2]) +
                                 QStringLiteral(" = ?") + where);
    update.bindAll(values).run();
}

void DeleteScrapsOfClass(Connection& connection, const ClassPath& path)
{
    struct Scrap {
        qint64 rowid;
        qint16 skID;
        qint16 pfID;
    };
    QVariantList values;
    const QString where = scrapsUnder(path, values);
    QList<Scrap> scraps;
    {
        Query select(connection, QStringLiteral("SELECT rowid, skID, pfID FROM MEMO_IDX") + where);
        select.bindAll(values);
        while (select.next())
            scraps.append({select.integer(0), qint16(select.integer(1)), qint16(select.integer(2))});
    }
    Query remove(connection, QStringLiteral("DELETE FROM MEMO_IDX WHERE rowid = ?"));
    for (const Scrap& scrap : scraps) {
        DeletePictureSet(connection, scrap.skID);
        DeleteScrapMarks(connection, scrap.pfID);
        DeleteScrapBody(connection, scrap.pfID);
        remove.bind(1, scrap.rowid).run();
        remove.reset();
    }
}

ClassWrite WriteClassTree(Connection& connection, const QList<ClassRow>& rows, bool renumber)
{
    try {
        Transaction transaction(connection);
        try {
            ClearTreeTable(connection);
            SaveTreeTable(connection, rows);
        } catch (const DbError& e) {
            qCWarning(lcClassTree) << "cannot store the classification tree:" << e.message();
            return ClassWrite::TreeRowsFailed;
        }
        if (renumber) {
            try {
                RenumberScrapLevNo(connection, rows);
            } catch (const DbError& e) {
                qCWarning(lcClassTree) << "cannot renumber the scraps:" << e.message();
                return ClassWrite::LevNoFailed;
            }
        }
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot write the classification tree:" << e.message();
        return ClassWrite::TreeRowsFailed;
    }
    return ClassWrite::Done;
}

ClassWrite RenameClassEverywhere(Connection& connection, const ClassPath& oldPath, int level, const QString& newName,
                                 int ndMEMO)
{
    try {
        Transaction transaction(connection);
        try {
            RenameInScraps(connection, oldPath, newName, level);
        } catch (const DbError& e) {
            qCWarning(lcClassTree) << "cannot rename the class in its scraps:" << e.message();
            return ClassWrite::ScrapRowsFailed;
        }
        Query rename(connection, QStringLiteral("UPDATE extraNodeMEMO SET nName = ? WHERE rowid = (SELECT rowid FROM "
                                                "extraNodeMEMO WHERE ndMEMO = ? ORDER BY rowid LIMIT 1)"));
        rename.bind(1, newName).bind(2, ndMEMO).run();
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot rename the class:" << e.message();
        return ClassWrite::TreeRowsFailed;
    }
    return ClassWrite::Done;
}

ClassWrite DeleteClassEverywhere(Connection& connection, const ClassPath& path, const QList<ClassRow>& rowsAfter)
{
    // The root's empty path would take every scrap with it.
    if (path.major.isEmpty())
        return ClassWrite::ScrapRowsFailed;
    try {
        Transaction transaction(connection);
        try {
            DeleteScrapsOfClass(connection, path);
        } catch (const DbError& e) {
            qCWarning(lcClassTree) << "cannot delete the scraps of the class:" << e.message();
            return ClassWrite::ScrapRowsFailed;
        }
        try {
            ClearTreeTable(connection);
            SaveTreeTable(connection, rowsAfter);
        } catch (const DbError& e) {
            qCWarning(lcClassTree) << "cannot store the classification tree:" << e.message();
            return ClassWrite::TreeRowsFailed;
        }
        try {
            RenumberScrapLevNo(connection, rowsAfter);
        } catch (const DbError& e) {
            qCWarning(lcClassTree) << "cannot renumber the scraps:" << e.message();
            return ClassWrite::LevNoFailed;
        }
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot delete the class:" << e.message();
        return ClassWrite::TreeRowsFailed;
    }
    return ClassWrite::Done;
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
