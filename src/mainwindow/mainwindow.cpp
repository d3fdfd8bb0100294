#include "mainwindow.h"

#include "collection/collection.h"
#include "common/enterkeyfilter.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "geometry.h"
#include "mainwindowlog.h"
#include "ocr/picturereader.h"
#include "panearea.h"
#include "recordview.h"
#include "scrap/scrapsheet.h"
#include "scraplistcontroller.h"
#include "sources/pastewatchingedit.h"
#include "sources/sourcekeeper.h"
#include "speechreader.h"
#include "splitterbar.h"
#include "web/webpane.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using namespace Geometry;

namespace {

// Addresses the address box remembers in its list.
constexpr int kAddressHistory = 30;
// Below this many scraps a catching up is over before a progress bar could be read.
constexpr qint64 kScrapsWorthShowing = 250;
constexpr int kStatusMessageMs = 15000;

QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), std::max(0, twipsToPixels(width)),
            std::max(0, twipsToPixels(height))};
}

QWidget* pageWith(QTabWidget* tabs, std::initializer_list<QWidget*> panes)
{
    auto* page = new QWidget(tabs);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget* pane : panes)
        layout->addWidget(pane);
    return page;
}

} // namespace

MainWindow::MainWindow(Session& session, Collection& collection, UserDialogs& dialogs, Desktop& desktop, WebPane* web,
                       SpeechOutput& speech, const StartupOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_collection(collection)
    , m_dialogs(dialogs)
    , m_desktop(desktop)
    , m_options(options)
    , m_speech(speech)
    , m_children(this, [this](int topic) { showHelp(topic); })
    , m_webPane(web)
{
    setObjectName(QStringLiteral("Form1"));
    m_dialogs.setHelpHandler([this](int topic) { showHelp(topic); });
    buildControls();
    buildMenus();
    connect(&m_collection, &Collection::opened, this, &MainWindow::onCollectionOpened);
    connect(&m_collection, &Collection::turnedReadOnly, this, [this] {
        setWindowTitle(m_collection.caption());
        showReadOnlyLayout();
    });
    connect(&m_collection, &Collection::backupReported, this,
            [this](const QString& text) { statusBar()->showMessage(text, kStatusMessageMs); });
    connect(&m_collection, &Collection::indexProgress, this, [this](qint64 done, qint64 total) {
        if (total < kScrapsWorthShowing)
            return;
        m_indexProgress->setRange(0, int(total));
        m_indexProgress->setValue(int(done));
        m_indexProgress->show();
    });
    connect(&m_collection, &Collection::indexFinished, m_indexProgress, &QWidget::hide);
    // Pictures waiting for their text to be read.
    auto* pictureProgress = new QProgressBar(statusBar());
    pictureProgress->setObjectName(QStringLiteral("PictureTextProgress"));
    pictureProgress->setFormat(QStringLiteral("画像の文字を認識中　%v / %m"));
    pictureProgress->setMinimumWidth(260);
    pictureProgress->hide();
    statusBar()->addPermanentWidget(pictureProgress);
    connect(m_collection.pictureReader(), &PictureReader::progress, pictureProgress,
            [pictureProgress](qint64 done, qint64 total) {
                pictureProgress->setRange(0, int(total));
                pictureProgress->setValue(int(done));
                pictureProgress->setVisible(total > 0);
            });
    connect(m_collection.pictureReader(), &PictureReader::settled, pictureProgress, &QWidget::hide);
    // A collection closed half way through its workers' rounds leaves no count of them over the next one: queued,
    // the hiding comes after the counts the stopped reader had already sent.
    connect(&m_collection, &Collection::opened, pictureProgress, &QWidget::hide, Qt::QueuedConnection);
    connect(&m_collection, &Collection::opened, m_indexProgress, &QWidget::hide, Qt::QueuedConnection);
    startUp();
}

MainWindow::~MainWindow()
{
    m_dialogs.setHelpHandler({});
    // A page copy that fails while the web pane is torn down must not report to a window half destroyed.
    delete std::exchange(m_sources, nullptr);
}

ScrapListModel* MainWindow::scrapListModel() const
{
    return m_list ? m_list->model() : nullptr;
}

int MainWindow::resultCount() const
{
    return m_list ? m_list->resultCount() : 0;
}

int MainWindow::resultPosition() const
{
    return m_record ? m_record->position() : 0;
}

std::optional<ScrapIdentity> MainWindow::shownScrap() const
{
    return m_record ? m_record->shownScrap() : std::nullopt;
}

const QString& MainWindow::loadedBody() const
{
    static const QString none;
    return m_record ? m_record->loadedBody() : none;
}

void MainWindow::runSearch(const ResultSource& source)
{
    listController()->runSearch(source);
}

void MainWindow::buildControls()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    auto* area = new PaneArea(this);
    m_paneArea = area;
    m_paneArea->setObjectName(QStringLiteral("paneArea"));
    setCentralWidget(m_paneArea);
    connect(area, &PaneArea::resized, this, &MainWindow::onPaneAreaResized);

    m_treePane = new QTreeWidget(m_paneArea);
    m_treePane->setObjectName(QStringLiteral("fg0"));
    m_treePane->setHeaderHidden(true);
    // Node texts change only in the tree editor, never in place here.
    m_treePane->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_treePane, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { onTreeNodeClicked(item); });
    // The arrow keys move the highlight; Enter lists the class or opens the favourite as a click does.
    new EnterKeyFilter(m_treePane, [this] {
        if (QTreeWidgetItem* item = m_treePane->currentItem())
            onTreeNodeClicked(item);
    });

    m_splitter = new SplitterBar(m_paneArea);
    m_splitter->setObjectName(QStringLiteral("hzDrag"));
    connect(m_splitter, &SplitterBar::dropped, this, &MainWindow::onSplitterDropped);

    m_tabs = new QTabWidget(m_paneArea);
    m_tabs->setObjectName(QStringLiteral("SSTab"));
    m_webPane->setObjectName(QStringLiteral("WB"));
    connect(m_webPane, &WebPane::navigationCompleted, this,
            [this] { m_addressBox->setEditText(m_webPane->currentUrl()); });
    connect(m_webPane, &WebPane::textClipRequested, this, &MainWindow::clipTextToEntry);
    connect(m_webPane, &WebPane::pictureClipRequested, this, &MainWindow::openPicturesForWebPicture);
    connect(&m_session, &Session::resultsReplaced, this, &MainWindow::onResultsReplaced);
    m_entryPage = pageWith(m_tabs, {});
    m_searchPage = pageWith(m_tabs, {});
    m_tabs->addTab(pageWith(m_tabs, {m_webPane}), QStringLiteral("ブラウザ"));
    m_tabs->addTab(m_entryPage, QStringLiteral("スクラップ作成"));
    m_tabs->addTab(m_searchPage, QStringLiteral("検索"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::onTabSelected);

    m_addressBox = new QComboBox(this);
    m_addressBox->setObjectName(QStringLiteral("URLbox"));
    m_addressBox->setEditable(true);
    m_addressBox->setMaxCount(kAddressHistory);
    // The box, not its line edit: the box has the focus and hands its keys to the line edit directly.
    new EnterKeyFilter(
        m_addressBox, [this] { NavigateToAddressBox(); }, EnterKeyFilter::Key::PassedOn);
    m_addressBox->hide();

    m_reader = new SpeechReader(m_session, m_dialogs, m_speech, this, [this](int topic) { showHelp(topic); });

    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    m_statusSimple = new QLabel(bar);
    m_statusSimple->setObjectName(QStringLiteral("StatusSimple"));
    m_statusPanel1 = new QLabel(bar);
    m_statusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    m_statusPanel2 = new QLabel(bar);
    m_statusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    bar->addWidget(m_statusSimple, 1);
    bar->addWidget(m_statusPanel1);
    bar->addWidget(m_statusPanel2, 1);
    m_indexProgress = new QProgressBar(bar);
    m_indexProgress->setObjectName(QStringLiteral("IndexProgress"));
    m_indexProgress->setFormat(QStringLiteral("本文の索引を作成中　%v / %m"));
    m_indexProgress->setMinimumWidth(260);
    m_indexProgress->hide();
    bar->addPermanentWidget(m_indexProgress);
    buildSourceControls();
}

void MainWindow::buildTabContents()
{
    if (m_tabContentsBuilt)
        return;
    m_tabContentsBuilt = true;
    m_entryBody = new PasteWatchingEdit(m_entryPage);
    m_entryBody->setObjectName(QStringLiteral("mData"));
    m_entryBody->installEventFilter(this);
    m_entryPage->layout()->addWidget(m_entryBody);
    m_scrapList = new QTableView(m_searchPage);
    m_scrapList->setObjectName(QStringLiteral("fr"));
    m_list = new ScrapListController(
        m_session, m_collection, m_dialogs, m_desktop, m_scrapList, [this](int topic) { showHelp(topic); }, this);
    connect(m_list, &ScrapListController::listed, this, &MainWindow::onListed);
    connect(m_list, &ScrapListController::counted, this, [this](int count) {
        setStatusPanels(QStringLiteral("検索総数： ") + QString::number(count), statusText(2));
    });
    connect(m_list, &ScrapListController::notice, this,
            [this](const QString& text) { setStatusPanels(statusText(1), text); });
    connect(m_list, &ScrapListController::rowPressed, this, [this](int row) { ShowRecordMode(row); });
    m_recordBody = new QPlainTextEdit(m_searchPage);
    m_recordBody->setObjectName(QStringLiteral("rtBox"));
    m_searchPage->layout()->addWidget(m_scrapList);
    m_searchPage->layout()->addWidget(m_recordBody);
    watchEntryPastes();
    ApplyDisplayFont();
    showTabContents();
}

QPlainTextEdit* MainWindow::entryBody()
{
    buildTabContents();
    return m_entryBody;
}

QPlainTextEdit* MainWindow::recordBody()
{
    buildTabContents();
    return m_recordBody;
}

ScrapListController* MainWindow::listController()
{
    buildTabContents();
    return m_list;
}

void MainWindow::completeStartUp()
{
    buildTabContents();
    if (std::exchange(m_listAllAfterFirstFrame, false))
        listAllScraps();
}

RecordView* MainWindow::record()
{
    if (m_record)
        return m_record;
    buildTabContents();
    m_recordSheet = new ScrapSheet(
        ScrapSheet::Fields::WithNumbers,
        {ScrapSheet::LevelRow, ScrapSheet::TitleRow, ScrapSheet::DateRow, ScrapSheet::KeywordRow}, m_paneArea);
    m_recordSheet->setObjectName(QStringLiteral("fg1"));
    m_recordSheet->hide();
    m_record = new RecordView(m_session, m_dialogs, m_children, m_recordSheet, m_recordBody, m_paneArea, this);
    connect(m_record, &RecordView::shown, this, [this](int position, int count) {
        setStatusPanels(QStringLiteral("スクラップ： %1/%2").arg(position).arg(count), statusText(2));
        showSourceOfShownScrap();
        showPictureHolding(true);
    });
    connect(m_record, &RecordView::ended, this, [this] {
        m_recordView = false;
        // "スクラップ： 1/2" names a scrap no longer shown.
        m_statusPanel1->clear();
        showSourceOfShownScrap();
        showPictureHolding(false);
        if (m_mode == Mode::RecordView && !m_unloading)
            showSearchPanes();
    });
    ArrangePanes(m_leftPaneWidths[0]);
    return m_record;
}

bool MainWindow::event(QEvent* event)
{
    // The entry, list and record-view panes, the collection's scraps and the speech character come once the first
    // frame is on the screen, which shows none of them.
    if (event->type() == QEvent::Paint &&
        (!m_record || m_listAllAfterFirstFrame || m_speechAfterFirstFrame || !m_tabContentsBuilt))
        QTimer::singleShot(0, this, [this] {
            completeStartUp();
            record();
            if (std::exchange(m_speechAfterFirstFrame, false))
                m_reader->load();
        });
    return QMainWindow::event(event);
}

void MainWindow::startUp()
{
    m_mode = Mode::Favourites;
    m_leftPaneWidths = {kLeftPaneWidth, kLeftPaneWidth};
    SetLeftPaneWidth();
    ShowLeftPane(LeftPane::Tree);
    setStatusSimple(QStringLiteral("ヘルプ：　F1キー"));
    m_reserveMenu->menuAction()->setEnabled(false);
    m_optionsMenu->menuAction()->setEnabled(false);
    m_versionAction->setEnabled(false);
    setWindowTitle(QStringLiteral("Tarnwell Zettora"));
    m_addressBox->hide();
    OpenDefaultDatabase();
    m_speechAfterFirstFrame = true;
    m_listAllAfterFirstFrame = true;
    {
        // Tab 0 is already current, so the tab-click handling is run by hand.
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabBrowser);
    }
    onTabSelected();
    if (m_session.isReadOnly() && !m_session.isSavedEdition())
        showReadOnlyLayout();
    m_helpTopic = HelpTopic::kMainWindow;
    resize(twipsToPixels(kInitialWidth), twipsToPixels(kInitialHeight));
}

void MainWindow::listAllScraps()
{
    // Another collection may have been opened before a read put off until after the first frame.
    if (!m_session.connection() || m_session.resultSet())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!m_session.openAllScraps())
        qCWarning(lcMainWindow) << "cannot open the index table at start-up";
    QApplication::restoreOverrideCursor();
}

int MainWindow::windowWidth() const
{
    return pixelsToTwips(m_paneArea->width());
}

void MainWindow::ArrangePanes(int leftWidth)
{
    const int height = pixelsToTwips(m_paneArea->height());
    const int width = windowWidth();
    m_treePane->setGeometry(twipsRect(0, 0, leftWidth, height));
    if (m_recordSheet)
        m_recordSheet->setGeometry(twipsRect(0, 0, leftWidth, height));
    m_leftPaneWidths = {leftWidth, leftWidth};
    m_splitter->setGeometry(twipsRect(leftWidth, 0, kSplitterWidth, height));
    m_tabs->setGeometry(twipsRect(leftWidth + kPaneGap, 0, width - leftWidth - kTabStripRightMargin, height));
    if (m_record)
        m_record->placeCalendar({twipsToPixels(leftWidth + kPaneGap), 0});
    // The address box lies over the toolbar, so its top counts from the toolbar's, below the menu bar.
    QRect box =
        twipsRect(kAddressBoxLeft, kAddressBoxTop, pixelsToTwips(this->width()) - kAddressBoxMargin, kAddressBoxHeight);
    box.translate(0, m_toolbar->y());
    m_addressBox->setGeometry(box);
    m_splitter->raise();
}

void MainWindow::SetLeftPaneWidth()
{
    const int width = m_mode == Mode::RecordView ? kLeftPaneWidthRecordView : kLeftPaneWidth;
    m_leftPaneWidths = {width, width};
    m_treePane->resize(twipsToPixels(width), m_treePane->height());
    if (m_recordSheet)
        m_recordSheet->resize(twipsToPixels(width), m_recordSheet->height());
}

void MainWindow::ShowLeftPane(LeftPane which)
{
    const bool tree = which == LeftPane::Tree;
    if (!tree)
        record();
    QWidget* front = tree ? static_cast<QWidget*>(m_treePane) : m_recordSheet;
    QWidget* back = tree ? static_cast<QWidget*>(m_recordSheet) : m_treePane;
    front->show();
    front->raise();
    if (back)
        back->hide();
    m_splitter->raise();
}

void MainWindow::ShowTabPanes(TabPane which)
{
    m_addressBox->hide();
    if (m_record)
        m_record->hideCalendar();
    m_tabPane = which;
    m_webPane->setVisible(which == TabPane::Browser);
    if (which != TabPane::Browser)
        buildTabContents();
    if (m_tabContentsBuilt)
        showTabContents();
}

void MainWindow::showTabContents()
{
    m_entryBody->setVisible(m_tabPane == TabPane::Entry);
    m_scrapList->setVisible(m_tabPane == TabPane::List);
    m_recordBody->setVisible(m_tabPane == TabPane::RecordBody);
    if (m_tabPane == TabPane::List) {
        m_scrapList->setEnabled(true);
        m_scrapList->verticalHeader()->setMinimumWidth(twipsToPixels(kListColumn0Width));
    }
    if (m_tabPane == TabPane::RecordBody)
        m_scrapList->lower();
}

void MainWindow::dropSplitter(QWidget* target, int x)
{
    int width = m_leftPaneWidths[0];
    if (target == m_treePane || (target && target == m_recordSheet)) {
        width = leftWidthAfterDropOnLeftGrid(x);
    } else if (target == m_tabs || target == m_entryBody || target == m_recordBody || target == m_webPane ||
               target == m_scrapList) {
        width = leftWidthAfterDropOnTabStrip(m_leftPaneWidths[0], x, windowWidth());
    }
    ArrangePanes(width);
}

void MainWindow::onSplitterDropped(const QPoint& globalPos)
{
    const QPoint inArea = m_paneArea->mapFromGlobal(globalPos);
    m_splitter->hide();
    QWidget* hit = m_paneArea->childAt(inArea);
    m_splitter->show();
    const std::array<QWidget*, 7> targets{m_treePane, m_recordSheet, m_entryBody, m_recordBody,
                                          m_webPane,  m_scrapList,   m_tabs};
    for (QWidget* w = hit; w; w = w->parentWidget()) {
        if (std::find(targets.begin(), targets.end(), w) != targets.end()) {
            dropSplitter(w, pixelsToTwips(w->mapFromGlobal(globalPos).x()));
            return;
        }
    }
    ArrangePanes(m_leftPaneWidths[0]);
}

void MainWindow::onPaneAreaResized()
{
    if (!isMinimized())
        ArrangePanes(m_leftPaneWidths[0]);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        ArrangePanes(m_leftPaneWidths[0]);
}

void MainWindow::setStatusSimple(const QString& text)
{
    m_statusSimple->setText(text);
    m_statusSimple->show();
    m_statusPanel1->hide();
    m_statusPanel2->hide();
}

void MainWindow::setStatusPanels(const QString& panel1, const QString& panel2)
{
    m_statusSimple->hide();
    m_statusPanel1->setText(panel1);
    // Wider than laid out only when the text needs it, as "スクラップ： 300000/300000" does.
    const int margins = m_statusPanel1->contentsMargins().left() + m_statusPanel1->contentsMargins().right() + 4;
    m_statusPanel1->setFixedWidth(
        std::max(twipsToPixels(kStatusPanel1Width), m_statusPanel1->fontMetrics().horizontalAdvance(panel1) + margins));
    m_statusPanel2->setText(panel2);
    // Panel 2 takes the rest of the bar (window width - 2200) by stretching, so the window can still shrink.
    m_statusPanel1->show();
    m_statusPanel2->show();
}

QString MainWindow::statusText(int panel) const
{
    if (panel == 0)
        return m_statusSimple->isVisibleTo(statusBar()) ? m_statusSimple->text() : QString();
    return panel == 1 ? m_statusPanel1->text() : m_statusPanel2->text();
}
