#include "scraplistcontroller.h"

#include "classlist.h"
#include "collection/collection.h"
#include "common/desktop.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/scrapsources.h"
#include "export/workbookmodule.h"
#include "mainwindowlog.h"
#include "savededition/savededitionnotice.h"
#include "savededition/savededitionwriter.h"
#include "scrap/fieldcaptions.h"
#include "scraplistmodel.h"
#include "search/bodyindex.h"
#include "search/bodysearch.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QScopeGuard>
#include <QStyle>
#include <QTableView>

namespace {

// Extra room beside the widest text of an auto-sized column.
constexpr int kColumnPadding = 100;
// With more rows than this waiting, a search compares so many bodies one by one that the user is told.
constexpr qint64 kRowsMakingSearchSlow = 1000;
constexpr qsizetype kMostSearchWords = 50;

const QString kNothingFound = QStringLiteral("検索条件に合致するスクラップはありません。");

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(WaitCursor)
};

} // namespace

ScrapListController::ScrapListController(Session& session, Collection& collection, UserDialogs& dialogs,
                                         Desktop& desktop, QTableView* list, std::function<void(int)> showHelp,
                                         QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_collection(collection)
    , m_dialogs(dialogs)
    , m_desktop(desktop)
    , m_list(list)
    , m_model(new ScrapListModel(session, this))
    , m_showHelp(std::move(showHelp))
{
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setWordWrap(false);
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->verticalHeader()->setSectionsClickable(false);
    connect(m_list, &QTableView::pressed, this,
            [this](const QModelIndex& index) { Q_EMIT rowPressed(index.row() + 1); });
}

void ScrapListController::clear()
{
    m_model->clear();
    m_resultCount = 0;
}

// Opens source as the session's set, which the list takes over in one step instead of emptying first.
bool ScrapListController::openForListing(const ResultSource& source)
{
    m_model->setListReplacements(true);
    const auto restore = qScopeGuard([this] { m_model->setListReplacements(false); });
    return m_session.openResults(source);
}

bool ScrapListController::indexStillSound(const QString& schema) const
{
    Connection* connection = m_session.connection();
    try {
        return connection && BodyIndex::isSound(*connection, schema, QString());
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "the body index cannot be checked:" << e.message();
        return false;
    }
}

void ScrapListController::listClass(const ClassPath& path, int level)
{
    const WaitCursor wait;
    m_searchWords.clear();
    showListing(openForListing(BuildClassListQuery(path, level)));
}

void ScrapListController::showListing(bool opened, bool tellFailure)
{
    if (!opened) {
        // The list is empty now: a count of the one before, or no word, would pass for a result.
        if (const Failure& failure = m_session.resultsFailure(); tellFailure && !failure.what.isEmpty()) {
            m_resultCount = 0;
            Q_EMIT counted(0);
            m_dialogs.critical(failure.message());
        }
        Q_EMIT listed(-1);
        return;
    }
    m_list->horizontalHeader()->setVisible(true);
    m_model->showResults();
    sizeRows();
    m_resultCount = m_session.resultSet()->recordCount();
    Q_EMIT counted(m_resultCount);
    Q_EMIT listed(m_resultCount);
    if (m_resultCount == 0)
        m_dialogs.information(kNothingFound);
    sizeColumns();
}

void ScrapListController::sizeRows()
{
    QFont font = m_list->font();
    font.setPointSize(m_session.displayFont.size);
    m_list->setFont(font);
    m_list->horizontalHeader()->setFont(font);
    // Every row the same height, 26 twips per point, so the view never measures rows one by one.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setMinimumSectionSize(1);
    m_list->verticalHeader()->setDefaultSectionSize(twipsToPixels(26 * m_session.displayFont.size));
}

void ScrapListController::sizeColumns()
{
    const QList<int> widths = m_model->columnWidths(m_list->font());
    // Qt draws a cell's text inside the style's margins and beside a grid line, which the 100 twips do not cover:
    // without them the widest text of a column is cut short.
    const QFontMetrics metrics(m_list->font());
    int margins = 2 * m_list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_list->horizontalHeader());
    for (int column = 0; m_model->rowCount() > 0 && column < widths.size(); ++column) {
        const QModelIndex first = m_model->index(0, column);
        margins = std::max(margins, m_list->sizeHintForIndex(first).width() -
                                        metrics.horizontalAdvance(m_model->cellText(0, column)));
    }
    const int extra = twipsToPixels(kColumnPadding) + margins + (m_list->showGrid() ? 1 : 0);
    for (int column = 0; column < widths.size(); ++column)
        m_list->setColumnWidth(column, widths[column] + extra);
}

void ScrapListController::listScrapsFrom(ScrapsFrom which, const QString& value)
{
    const QString filter = which == ScrapsFrom::Site ? ScrapSources::hostFilter() : ScrapSources::addressFilter();
    runSearch(ResultSource::fromTable(Schema::name(Schema::kMemoIdx), filter, {value}));
}

void ScrapListController::runSearch(const ResultSource& source)
{
    listSearch(source, true);
}

void ScrapListController::listSearch(const ResultSource& source, bool tellFailure)
{
    const WaitCursor wait;
    m_searchWords.clear();
    const bool opened = openForListing(source);
    if (opened && m_session.resultSet()->recordCount() == 0) {
        // An empty search leaves the status bar as it was; only a listing of a class reports its 0.
        m_resultCount = 0;
        clear();
        m_list->horizontalHeader()->setVisible(true);
        Q_EMIT listed(0);
        m_dialogs.information(kNothingFound);
        return;
    }
    showListing(opened, tellFailure);
}

void ScrapListController::runBodySearch(const QString& typed)
{
    const QStringList words = parseBodySearch(typed);
    Connection* connection = m_session.connection();
    if (words.isEmpty() || !connection)
        return;
    // Each word adds to one statement, which SQLite refuses past a depth a pasted paragraph reaches.
    if (words.size() > kMostSearchWords) {
        m_dialogs.exclamation(
            QStringLiteral("検索する語が多すぎます。　%1語以内にしてください。").arg(kMostSearchWords));
        return;
    }
    QStringList rarestFirst = words;
    const QString schema = m_collection.indexSchema();
    bool indexed = false;
    bool picturesIndexed = false;
    qint64 waiting = 0;
    if (m_collection.isIndexUsable() && m_collection.isIndexChecked()) {
        try {
            indexed = BodyIndex::isInstalled(*connection, schema);
            picturesIndexed = indexed && BodyIndex::hasPictureTable(*connection, schema);
            waiting = indexed ? BodyIndex::pendingCount(*connection, schema) : 0;
            if (indexed)
                rarestFirst = rarestWordFirst(*connection, schema, words);
        } catch (const DbError& e) {
            // Without the count of rows still to be indexed the index may answer for bodies since edited: every body
            // is read instead.
            qCWarning(lcMainWindow) << "cannot read the body index:" << e.message();
            indexed = false;
            picturesIndexed = false;
            rarestFirst = words;
        }
    }
    if (!m_collection.isIndexUsable()) {
        try {
            BodyIndex::registerFunctions(*connection);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot search the bodies:" << e.message();
            m_dialogs.critical(e.failure(QStringLiteral("本文を検索できませんでした。")).message());
            return;
        }
    }
    const BodySearchWay way = indexed ? BodySearchWay::Index : BodySearchWay::Scan;
    const bool pictureText = connection->hasTable(QString::fromUtf16(Schema::kPictureText));
    // The title and address of the page a scrap came from are found as well, where scraps have one.
    bool sources = false;
    try {
        sources = ScrapSources::isPresent(*connection);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot look for the sources:" << e.message();
    }
    listSearch(BuildBodySearchQuery(rarestFirst, way, schema, waiting == 0, pictureText, sources, picturesIndexed),
               !indexed);
    if (!m_session.resultSet() && indexed) {
        // An index damaged since it was checked: this search reads every body, and the worker makes it anew.
        qCWarning(lcMainWindow) << "the body index cannot be read; searching every body";
        indexed = false;
        runSearch(BuildBodySearchQuery(words, BodySearchWay::Scan, schema, false, pictureText, sources));
        // A search that failed for a moment (the file busy, the search interrupted) keeps an index that is sound.
        if (!m_session.isReadOnly() && !indexStillSound(schema))
            m_collection.remakeIndex();
    }
    if (m_session.resultSet() && m_session.resultSet()->recordCount() > 0) {
        m_searchWords = words;
        if (!indexed || waiting > kRowsMakingSearchSlow)
            Q_EMIT notice(
                m_session.isReadOnly() && !m_session.isSavedEdition()
                    ? QStringLiteral("このデータベースの本文の索引は使えないため、すべての本文を順に調べました"
                                     "（時間がかかります）。")
                    : QStringLiteral("本文の索引を作成中のため、すべての本文を順に調べました"
                                     "（時間がかかります）。"));
    }
    // No dialog cleared the count of the listing before this search: nothing found is counted, as a class of none is.
    if (m_session.resultSet() && m_session.resultSet()->recordCount() == 0)
        Q_EMIT counted(0);
}

void ScrapListController::showFiltered()
{
    const WaitCursor wait;
    clear();
    m_resultCount = m_session.resultSet() ? m_session.resultSet()->recordCount() : 0;
    m_list->horizontalHeader()->setVisible(true);
    m_model->showResults();
    Q_EMIT counted(m_resultCount);
    sizeRows();
    sizeColumns();
}

void ScrapListController::notePictureSet(qint64 rowid, qint64 skID)
{
    ResultSet* set = m_session.resultSet();
    if (!set)
        return;
    try {
        set->noteStoredValue(rowid, QStringLiteral("skID"), skID);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot note the picture set in the listing:" << e.message();
    }
    m_session.announceResultsChanged();
}

void ScrapListController::exportToSpreadsheet()
{
    ListTable table;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        table.captions << m_model->headerData(column, Qt::Horizontal).toString();
        const bool number =
            column == Field::pfID || column == Field::backC || column == Field::LevNo || column == Field::DocNo;
        table.kinds << (number ? CellKind::Number : column == Field::a03 ? CellKind::Date : CellKind::Text);
    }
    // The address of the page each scrap came from, after the listed columns.
    QHash<qint64, QString> addresses;
    if (Connection* connection = m_session.connection()) {
        try {
            addresses = ScrapSources::addresses(*connection);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot read the sources for the list:" << e.message();
        }
    }
    const int addressColumn = int(table.captions.size());
    table.captions << QStringLiteral("出典アドレス");
    table.kinds << CellKind::Text;
    // The rows the list shows, so a list narrowed by importance sends only those.
    table.rowCount = m_model->rowCount();
    table.cell = [this, addresses, addressColumn](int row, int column) {
        if (column == addressColumn)
            return addresses.value(m_model->cellText(row, Field::DocNo).toLongLong());
        return m_model->cellText(row, column);
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Session::Busy busy(m_session);
    SavedEditionNotice notice(m_list->window());
    notice.showText(QStringLiteral("一覧表を作成中です。 "));
    table.progress = [&notice](int done, int total) { notice.setProgress(done, total); };
    const Result<QString> written =
        writeListWorkbookInModule(m_session.databaseName(), QDateTime::currentDateTime(), table);
    notice.close();
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

void ScrapListController::makeSavedEdition()
{
    const std::optional<QString> folder = m_dialogs.chooseFolder(QStringLiteral("作成場所を指定してください。"));
    if (!folder || !m_dialogs.askYesNo(QStringLiteral("検索結果の保存版を、") + *folder +
                                       QStringLiteral(" に作成します。　実行しますか？")))
        return;
    ResultSet* listed = m_session.resultSet();
    Connection* source = m_session.connection();
    if (!listed || !source)
        return;
    const Session::Busy busy(m_session);
    SavedEditionNotice notice(m_list->window());
    connect(addHelpKey(&notice), &QAction::triggered, this, [this] { m_showHelp(HelpTopic::kSavedEdition); });
    notice.showText(QStringLiteral("データベースを作成中です。 "));
    SavedEditionWriter writer;
    if (const Done created = writer.create(QDir(*folder).filePath(m_session.databaseName() + QStringLiteral(".mdb")));
        !created) {
        notice.close();
        m_dialogs.critical(created.message());
        return;
    }
    notice.showText(QStringLiteral("データを転記中です。 "));
    const Done copied =
        writer.copy(*source, *listed, [&notice](int done, int total) { notice.setProgress(done, total); });
    // The set is left after its last record, as a walk over it leaves it.
    if (listed->recordCount() > 0) {
        listed->moveLast();
        listed->moveNext();
    }
    notice.close();
    // A failure is told as one, not with the sign of success.
    if (copied)
        m_dialogs.information(QStringLiteral("保存版を作成しました。"));
    else
        m_dialogs.critical(copied.message());
}

bool ScrapListController::deleteAll()
{
    if (!m_dialogs.askYesNo(QStringLiteral("検索結果を全部削除します。　削除後は復活できません。　実行しますか？"),
                            UserDialogs::Icon::Question, UserDialogs::Default::No, HelpTopic::kDeleteAll))
        return false;
    ResultSet* set = m_session.resultSet();
    if (set && m_session.connection() && set->recordCount() > 0) {
        try {
            DeleteAllResults(*m_session.connection(), *set);
        } catch (const DbError& e) {
            // Nothing was deleted: the transaction rolled back.
            qCWarning(lcMainWindow) << "cannot delete the search results:" << e.message();
            m_dialogs.critical(e.failure(QStringLiteral("検索結果を削除できませんでした。")).message());
            return false;
        }
    }
    return true;
}
