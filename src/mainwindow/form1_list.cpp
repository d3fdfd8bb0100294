// The scrap list: filling it from the shared result set, and opening a pressed row.
#include "classlist.h"
#include "classtree/classtreeloader.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "fieldcaptions.h"
#include "form1.h"
#include "geometry.h"
#include "mainwindowlog.h"
#include "scraplistmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
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

} // namespace

void Form1::InitFR()
{
    m_listModel->setResultSet(nullptr);
}

void Form1::DispFieldsName(bool HorV)
{
    if (HorV) {
        // The list's captions come from the model's header, one per listed field.
        m_fr->horizontalHeader()->setVisible(true);
        return;
    }
    m_fg1->clear();
    m_fg1->setColumnCount(3);
    m_fg1->setRowCount(int(kFieldCaptions.size()) + 1);
    for (int i = 0; i < int(kFieldCaptions.size()); ++i) {
        m_fg1->setItem(i + 1, 0, new QTableWidgetItem(QString::fromUtf16(kFieldCaptions[i].flag)));
        m_fg1->setItem(i + 1, 1, new QTableWidgetItem(QString::fromUtf16(kFieldCaptions[i].caption)));
    }
}

void Form1::DispList()
{
    m_listModel->setResultSet(m_session.resultSet());
}

void Form1::LitSizeFR()
{
    QFont font = m_fr->font();
    font.setPointSize(m_session.displayFont.size);
    m_fr->setFont(font);
    m_fr->horizontalHeader()->setFont(font);
    // Every row the same height, 26 twips per point, so the view never measures rows one by one.
    m_fr->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fr->verticalHeader()->setMinimumSectionSize(1);
    m_fr->verticalHeader()->setDefaultSectionSize(twipsToPixels(26 * m_session.displayFont.size));
}

void Form1::StatusShowSearch()
{
    setStatusPanels(QStringLiteral("検索総数： ") + QString::number(m_totalRstG), statusText(2));
}

void Form1::GetKoshuStr()
{
    m_session.currentClass = classPathOf(m_currentNode);
}

void Form1::ListScrapsOfClass()
{
    const WaitCursor wait;
    InitFR();
    GetKoshuStr();
    const std::optional<ResultSource> source = BuildClassListQuery(m_session.currentClass);
    const bool opened = source && OpenResultSet(m_session.connection(), m_session.results(), *source);
    showListing(opened);
}

void Form1::showListing(bool opened)
{
    if (!opened) {
        MenuUnEnable_Search(false);
        return;
    }
    DispFieldsName(true);
    DispList();
    LitSizeFR();
    m_totalRstG = m_session.resultSet()->recordCount();
    StatusShowSearch();
    if (m_totalRstG != 0) {
        MenuUnEnable_Search(m_session.databaseKind() == kScrapDatabaseKind);
        ButtonEnable_Search(true);
    } else {
        MenuUnEnable_Search(false);
        ButtonEnable_Search(false);
        m_dialogs.information(QStringLiteral("検索条件に合致するスクラップはありません。"));
    }
    sizeListColumns();
}

void Form1::sizeListColumns()
{
    const QList<int> widths = m_listModel->columnWidths(m_fr->font());
    const int padding = twipsToPixels(kColumnPadding);
    for (int column = 0; column < widths.size(); ++column)
        m_fr->setColumnWidth(column, widths[column] + padding);
}

void Form1::runSearch(const ResultSource& source)
{
    const WaitCursor wait;
    const bool opened = OpenResultSet(m_session.connection(), m_session.results(), source);
    if (opened && m_session.resultSet()->recordCount() == 0) {
        // An empty search leaves the status bar as it was; only a listing of a class reports its 0.
        m_totalRstG = 0;
        InitFR();
        DispFieldsName(true);
        MenuUnEnable_Search(false);
        ButtonEnable_Search(false);
        m_dialogs.information(QStringLiteral("検索条件に合致するスクラップはありません。"));
        return;
    }
    InitFR();
    showListing(opened);
}

void Form1::showFilteredListing()
{
    const WaitCursor wait;
    m_totalRstG = m_session.resultSet() ? m_session.resultSet()->recordCount() : 0;
    InitFR();
    DispFieldsName(true);
    DispList();
    StatusShowSearch();
    LitSizeFR();
    sizeListColumns();
}

void Form1::DeleteAllSearchResults()
{
    m_helpTopic = HelpTopic::kDeleteAll;
    if (!m_dialogs.askYesNo(QStringLiteral("検索結果を全部削除します。　削除後は復活できません。　実行しますか？")))
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

void Form1::fr_MouseDown(int row)
{
    ResultSet* set = m_session.resultSet();
    if (row < 1 || !set || row > set->recordCount())
        return;
    m_fgMode = RecordView;
    set->setAbsolutePosition(row);
    m_currentRstG = row;
    ShowRecordMode();
    ShowScrapPosition(m_currentRstG);
    MenuUnEnable_Search(false);
}
