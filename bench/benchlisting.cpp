#include "benchops.h"
#include "database/opening.h"
#include "database/resultset.h"

#include <stdexcept>

namespace {

const QString kMemoIdx = QStringLiteral("MEMO_IDX");
const QString kAllTail = QStringLiteral(" ORDER BY LevNo, DocNo");
const QString kMajorTail = QStringLiteral(" WHERE a04 = ? ORDER BY LevNo, DocNo");

qint64 openShared(BenchContext& context, const ResultSource& source)
{
    if (!OpenResultSet(context.connection.get(), context.shared, source))
        throw std::runtime_error("cannot open the shared result set");
    return context.shared->recordCount();
}

// The listing of every scrap, as the class tree's root shows it.
qint64 listAll(BenchContext& context)
{
    return openShared(context, ResultSource::fromTable(kMemoIdx, kAllTail));
}

// The listing of one major class.
qint64 listMajor(BenchContext& context)
{
    return openShared(context, ResultSource::fromTable(kMemoIdx, kMajorTail, {context.firstMajorClass}));
}

qint64 listAllBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX ORDER BY LevNo, DocNo");
}

qint64 listMajorBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX WHERE a04 = ? ORDER BY LevNo, DocNo",
                       {context.firstMajorClass.toUtf8()});
}

} // namespace

void registerListingOps(BenchRegistry& registry)
{
    registry.push_back({QStringLiteral("list_all"), listAll, listAllBare});
    registry.push_back({QStringLiteral("list_major"), listMajor, listMajorBare});
}
