#include "classlist.h"

#include "database/schema.h"

ResultSource BuildClassListQuery(const ClassPath& path, int level)
{
    const QString table = Schema::name(Schema::kMemoIdx);
    const QString order = QStringLiteral(" ORDER BY LevNo, DocNo");
    if (level <= 1)
        return ResultSource::fromTable(table, order);
    // No scrap is filed below the minor classes.
    if (level > 4)
        return ResultSource::fromTable(table, QStringLiteral(" WHERE 0") + order);
    // Every name down to the class's level must match, an empty one too (another program's file may hold one): a
    // class named "" is not every class of its level.
    QString where = QStringLiteral(" WHERE a04 = ?");
    QVariantList values{path.major};
    if (level >= 3) {
        where += QStringLiteral(" AND a05 = ?");
        values << path.middle;
    }
    if (level >= 4) {
        where += QStringLiteral(" AND a06 = ?");
        values << path.minor;
    }
    return ResultSource::fromTable(table, where + order, values);
}
