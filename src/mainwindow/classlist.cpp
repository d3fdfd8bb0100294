#include "classlist.h"

#include "database/schema.h"

std::optional<ResultSource> BuildClassListQuery(const ClassPath& path)
{
    const QString table = Schema::name(Schema::kMemoIdx);
    const QString order = QStringLiteral(" ORDER BY LevNo, DocNo");
    const bool major = !path.major.isEmpty();
    const bool middle = !path.middle.isEmpty();
    const bool minor = !path.minor.isEmpty();
    if (!major && !middle && !minor)
        return ResultSource::fromTable(table, order);
    if (major && !middle && !minor)
        return ResultSource::fromTable(table, QStringLiteral(" WHERE a04 = ?") + order, {path.major});
    if (major && middle && !minor)
        return ResultSource::fromTable(table, QStringLiteral(" WHERE a04 = ? AND a05 = ?") + order,
                                       {path.major, path.middle});
    if (major && middle && minor)
        return ResultSource::fromTable(table, QStringLiteral(" WHERE a04 = ? AND a05 = ? AND a06 = ?") + order,
                                       {path.major, path.middle, path.minor});
    return std::nullopt;
}
