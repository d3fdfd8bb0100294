#include "classlist.h"

#include "classtree/classtreestore.h"
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
    QVariantList values;
    const QString where = scrapsOfClassWhere(path, level, values);
    return ResultSource::fromTable(table, where + order, values);
}
