#include "benchops.h"
#include "classtree/treerows.h"
#include "common/desktop.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/resultset.h"
#include "listingwindow.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QTabWidget>
#include <QTreeWidget>

#include <stdexcept>

ListingWindow& listingWindowOf(BenchContext& context)
{
    if (!context.window)
        context.window = std::make_shared<ListingWindow>(context.path);
    return *context.window;
}

namespace {

// The listing of every scrap: a click on the class tree's root, until the list is filled and its columns sized.
qint64 listAll(BenchContext& context)
{
    return listingWindowOf(context).listRow(1);
}

// The listing of one major class: the first one sits at tree row 2.
qint64 listMajor(BenchContext& context)
{
    return listingWindowOf(context).listRow(2);
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
    registry.push_back(wholeOp(QStringLiteral("list_all"), listAll, listAllBare));
    registry.push_back(wholeOp(QStringLiteral("list_major"), listMajor, listMajorBare));
}
