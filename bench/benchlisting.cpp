#include "benchops.h"
#include "classtree/treerows.h"
#include "common/desktop.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/resultset.h"
#include "mainwindow/form1.h"

#include <QApplication>
#include <QTabWidget>
#include <QTreeWidget>

#include <stdexcept>

// Answers every question with "no" and every dialog with cancel, so that timing never waits on a person.
class SilentDialogs final : public UserDialogs {
public:
    void information(const QString&) override {}
    void exclamation(const QString&) override {}
    void critical(const QString& text) override { qWarning("zettora-bench: %s", qPrintable(text)); }
    bool askYesNo(const QString&, Icon) override { return false; }
    std::optional<QString> openFile(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> chooseFolder(const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
};

class NoDesktop final : public Desktop {
public:
    bool openFile(const QString&) override { return false; }
    bool openUrl(const QUrl&) override { return false; }
};

// The real main window on the collection, in search mode, as a user would list classes in it.
class ListingWindow {
public:
    explicit ListingWindow(const QString& path)
    {
        StartupOptions options;
        options.programFolder = QCoreApplication::applicationDirPath();
        options.databasePath = path;
        window = std::make_unique<Form1>(session, dialogs, desktop, options);
        window->show();
        window->findChild<QTabWidget*>(QStringLiteral("SSTab"))->setCurrentIndex(Form1::TabSearch);
        QCoreApplication::processEvents();
        if (!session.connection())
            throw std::runtime_error("the main window could not open the collection");
    }

    // Clicks the class at tree row `row` and lets the list draw itself.
    qint64 listRow(int row)
    {
        auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("fg0"));
        window->fg0_Click(TreeRows::itemAt(tree, row));
        QCoreApplication::processEvents();
        return window->TotalRstG();
    }

    SilentDialogs dialogs;
    NoDesktop desktop;
    Session session;
    std::unique_ptr<Form1> window;
};

namespace {

ListingWindow& windowOf(BenchContext& context)
{
    if (!context.window)
        context.window = std::make_shared<ListingWindow>(context.path);
    return *context.window;
}

// The listing of every scrap: a click on the class tree's root, until the list is filled and its columns sized.
qint64 listAll(BenchContext& context)
{
    return windowOf(context).listRow(1);
}

// The listing of one major class: the first one sits at tree row 2.
qint64 listMajor(BenchContext& context)
{
    return windowOf(context).listRow(2);
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
