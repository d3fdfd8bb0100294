// The scrap list: filling it from the shared result set, and opening a pressed row.
#include "classlist.h"
#include "classtree/classtreeloader.h"
#include "common/desktop.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "export/listworkbook.h"
#include "geometry.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "scrap/fieldcaptions.h"
#include "scraplistmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

// Extra room beside the widest text of an auto-sized column.
constexpr int kColumnPadding = 100;

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(WaitCursor)
};

// Opens source as the session's set, which the list takes over in one step instead of emptying first.
bool openForListing(Session& session, ScrapListModel& model, const ResultSource& source)
{
    model.setListReplacements(true);
    const auto restore = qScopeGuard([&model] { model.setListReplacements(false); });
    return session.openResults(source);
}

} // namespace

void MainWindow::clearList()
{
    m_scrapListModel->clear();
}

void MainWindow::showListHeader()
{
    // The list's captions come from the model's header, one per listed field.
    m_scrapList->horizontalHeader()->setVisible(true);
}

void MainWindow::DispList()
{
    m_scrapListModel->showResults();
}

void MainWindow::sizeListRows()
{
    QFont font = m_scrapList->font();
    font.setPointSize(m_session.displayFont.size);
    m_scrapList->setFont(font);
    m_scrapList->horizontalHeader()->setFont(font);
    // Every row the same height, 26 twips per point, so the view never measures rows one by one.
    m_scrapList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_scrapList->verticalHeader()->setMinimumSectionSize(1);
    m_scrapList->verticalHeader()->setDefaultSectionSize(twipsToPixels(26 * m_session.displayFont.size));
}

void MainWindow::showResultCount()
{
    setStatusPanels(QStringLiteral("検索総数： ") + QString::number(m_resultCount), statusText(2));
}

void MainWindow::takeClassPathFromNode()
{
    m_session.currentClass = classPathOf(m_currentNode);
}

void MainWindow::ListScrapsOfClass()
{
    const WaitCursor wait;
    takeClassPathFromNode();
    const std::optional<ResultSource> source = BuildClassListQuery(m_session.currentClass);
    if (!source)
        clearList();
    const bool opened = source && openForListing(m_session, *m_scrapListModel, *source);
    showListing(opened);
}

void MainWindow::showListing(bool opened)
{
    if (!opened) {
        enableResultMenus(false);
        return;
    }
    showListHeader();
    DispList();
    sizeListRows();
    m_resultCount = m_session.resultSet()->recordCount();
    showResultCount();
    if (m_resultCount != 0) {
        enableResultMenus(!m_session.isReadOnly());
        enableResultCommands(true);
    } else {
        enableResultMenus(false);
        enableResultCommands(false);
        m_dialogs.information(QStringLiteral("検索条件に合致するスクラップはありません。"));
    }
    sizeListColumns();
}

void MainWindow::sizeListColumns()
{
    const QList<int> widths = m_scrapListModel->columnWidths(m_scrapList->font());
    // Qt draws a cell's text inside the style's margins and beside a grid line, which the 100 twips do not cover:
    // without them the widest text of a column is cut short.
    const QFontMetrics metrics(m_scrapList->font());
    int margins =
        2 * m_scrapList->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_scrapList->horizontalHeader());
    for (int column = 0; m_scrapListModel->rowCount() > 0 && column < widths.size(); ++column) {
        const QModelIndex first = m_scrapListModel->index(0, column);
        margins = std::max(margins, m_scrapList->sizeHintForIndex(first).width() -
                                        metrics.horizontalAdvance(m_scrapListModel->cellText(0, column)));
    }
    const int extra = twipsToPixels(kColumnPadding) + margins + (m_scrapList->showGrid() ? 1 : 0);
    for (int column = 0; column < widths.size(); ++column)
        m_scrapList->setColumnWidth(column, widths[column] + extra);
}

void MainWindow::runSearch(const ResultSource& source)
{
    const WaitCursor wait;
    m_bodySearchWords.clear();
    const bool opened = openForListing(m_session, *m_scrapListModel, source);
    if (opened && m_session.resultSet()->recordCount() == 0) {
        // An empty search leaves the status bar as it was; only a listing of a class reports its 0.
        m_resultCount = 0;
        clearList();
        showListHeader();
        enableResultMenus(false);
        enableResultCommands(false);
        m_dialogs.information(QStringLiteral("検索条件に合致するスクラップはありません。"));
        return;
    }
    showListing(opened);
}

void MainWindow::showFilteredListing()
{
    const WaitCursor wait;
    m_resultCount = m_session.resultSet() ? m_session.resultSet()->recordCount() : 0;
    clearList();
    showListHeader();
    DispList();
    showResultCount();
    sizeListRows();
    sizeListColumns();
}

void MainWindow::ExportListToExcel()
{
    ListTable table;
    for (int column = 0; column < m_scrapListModel->columnCount(); ++column) {
        table.captions << m_scrapListModel->headerData(column, Qt::Horizontal).toString();
        const bool number =
            column == Field::pfID || column == Field::backC || column == Field::LevNo || column == Field::DocNo;
        table.kinds << (number ? CellKind::Number : column == Field::a03 ? CellKind::Date : CellKind::Text);
    }
    // The rows the list shows, so a list narrowed by importance sends only those.
    table.rowCount = m_scrapListModel->rowCount();
    table.cell = [this](int row, int column) { return m_scrapListModel->cellText(row, column); };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result<QString> written =
        writeListWorkbook(listWorkbookFolder(), m_session.databaseName(), QDateTime::currentDateTime(), table);
    QApplication::restoreOverrideCursor();
    if (!written) {
        qCWarning(lcMainWindow) << "cannot write the list:" << written.failure().detail;
        m_dialogs.exclamation(written.message());
        return;
    }
    const QString& path = *written;
    if (!m_desktop.openFile(path))
        m_dialogs.information(
            QStringLiteral("表計算ソフトで開けなかったため、一覧表は次のファイルに保存してあります。\n") + path);
}

void MainWindow::DeleteAllSearchResults()
{
    m_helpTopic = HelpTopic::kDeleteAll;
    if (!m_dialogs.askYesNo(QStringLiteral("検索結果を全部削除します。　削除後は復活できません。　実行しますか？"),
                            UserDialogs::Icon::Question, UserDialogs::Default::No, HelpTopic::kDeleteAll))
        return;
    ResultSet* set = m_session.resultSet();
    if (set && m_session.connection() && set->recordCount() > 0) {
        try {
            DeleteAllResults(*m_session.connection(), *set);
        } catch (const DbError& e) {
            // Nothing was deleted: the transaction rolled back.
            qCWarning(lcMainWindow) << "cannot delete the search results:" << e.message();
            m_dialogs.critical(QStringLiteral("検索結果を削除できませんでした。"));
            return;
        }
    }
    ShowSearchMode();
}

void MainWindow::onListRowPressed(int row)
{
    ResultSet* set = m_session.resultSet();
    if (row < 1 || !set || row > set->recordCount())
        return;
    m_mode = Mode::RecordView;
    set->setAbsolutePosition(row);
    m_resultPosition = row;
    ShowRecordMode();
    ShowScrapPosition(m_resultPosition);
    enableResultMenus(false);
}
