#include "backup/backupworker.h"
#include "benchops.h"
#include "classtree/treerows.h"
#include "common/desktop.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/resultset.h"
#include "listingwindow.h"
#include "mainwindow/mainwindow.h"
#include "search/bodyindexer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QThread>
#include <QTreeWidget>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr qint64 kSettleLimitMs = 600000;
constexpr qint64 kSettleToldMs = 1000;

} // namespace

void ListingWindow::settle()
{
    const auto busy = [this] {
        return collection->bodyIndexer()->isRunning() || collection->backupWorker()->isRunning();
    };
    QElapsedTimer waited;
    waited.start();
    bool told = false;
    for (;;) {
        // The worker's reports arrive as queued events; the last of them may start it again (rows left over).
        QCoreApplication::processEvents();
        if (!busy()) {
            QCoreApplication::processEvents();
            if (!busy())
                break;
        }
        if (waited.elapsed() > kSettleLimitMs)
            throw std::runtime_error("the window's worker did not finish within 10 minutes");
        if (!told && waited.elapsed() > kSettleToldMs) {
            std::fputs("waiting for the window's worker (the file's check and the body index)\n", stderr);
            told = true;
        }
        QThread::msleep(10);
    }
    if (told)
        std::fprintf(stderr, "the window's worker finished after %.1f s\n", double(waited.elapsed()) / 1000);
    if (!collection->bodyIndexer()->isFileChecked())
        throw std::runtime_error("the window's worker never checked the file");
}

void ListingWindow::backToSearch()
{
    if (window->mode() == MainWindow::Mode::RecordView)
        press("Back2Search");
    if (window->mode() != MainWindow::Mode::Search)
        window->findChild<QTabWidget*>(QStringLiteral("SSTab"))->setCurrentIndex(MainWindow::TabSearch);
    // Pictures windows and the like that an operation opened, or left open when it failed.
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window.get() && other->isVisible())
            other->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    if (window->mode() != MainWindow::Mode::Search)
        throw std::runtime_error("the window cannot go back to its search list");
}

ListingWindow& listingWindowOf(BenchContext& context)
{
    if (!context.window) {
        auto made = std::make_shared<ListingWindow>(context.path);
        made->settle();
        context.window = std::move(made);
    }
    return *context.window;
}

void settleWindow(BenchContext& context)
{
    if (context.window) {
        context.window->settle();
        context.window->backToSearch();
    }
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
