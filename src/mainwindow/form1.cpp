#include "form1.h"

#include "common/colourvalue.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/twips.h"
#include "database/opening.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "geometry.h"
#include "panearea.h"
#include "scraplistmodel.h"
#include "splitterbar.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Geometry;

namespace {

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

Form1::Form1(Session& session, UserDialogs& dialogs, Desktop& desktop, const StartupOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_desktop(desktop)
    , m_options(options)
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    buildMenus();
    startUp();
}

Form1::~Form1() = default;

void Form1::buildControls()
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
    connect(area, &PaneArea::resized, this, &Form1::onPaneAreaResized);

    m_fg0 = new QTreeWidget(m_paneArea);
    m_fg0->setObjectName(QStringLiteral("fg0"));
    m_fg0->setHeaderHidden(true);
    // Node texts change only in the tree editor, never in place here.
    m_fg0->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_fg0, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { fg0_Click(item); });
    m_fg1 = new QTableWidget(m_paneArea);
    m_fg1->setObjectName(QStringLiteral("fg1"));

    m_hzDrag = new SplitterBar(m_paneArea);
    m_hzDrag->setObjectName(QStringLiteral("hzDrag"));
    connect(m_hzDrag, &SplitterBar::dropped, this, &Form1::onSplitterDropped);

    m_tabs = new QTabWidget(m_paneArea);
    m_tabs->setObjectName(QStringLiteral("SSTab"));
    auto* browser = new QLabel(m_tabs);
    browser->setAutoFillBackground(true);
    browser->setBackgroundRole(QPalette::Base);
    m_wb = browser;
    m_wb->setObjectName(QStringLiteral("WB"));
    m_mData = new QPlainTextEdit(m_tabs);
    m_mData->setObjectName(QStringLiteral("mData"));
    m_fr = new QTableView(m_tabs);
    m_fr->setObjectName(QStringLiteral("fr"));
    m_listModel = new ScrapListModel(this);
    m_fr->setModel(m_listModel);
    m_fr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fr->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_fr->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fr->setWordWrap(false);
    m_fr->horizontalHeader()->setSectionsClickable(false);
    m_fr->verticalHeader()->setSectionsClickable(false);
    connect(m_fr, &QTableView::pressed, this, [this](const QModelIndex& index) { fr_MouseDown(index.row() + 1); });
    m_rtBox = new QPlainTextEdit(m_tabs);
    m_rtBox->setObjectName(QStringLiteral("rtBox"));
    m_tabs->addTab(pageWith(m_tabs, {m_wb}), QStringLiteral("ブラウザ"));
    m_tabs->addTab(pageWith(m_tabs, {m_mData}), QStringLiteral("スクラップ作成"));
    m_tabs->addTab(pageWith(m_tabs, {m_fr, m_rtBox}), QStringLiteral("検索"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &Form1::SSTab_Click);

    m_calendar = new QCalendarWidget(m_paneArea);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->hide();

    m_urlBox = new QComboBox(this);
    m_urlBox->setObjectName(QStringLiteral("URLbox"));
    m_urlBox->setEditable(true);
    m_urlBox->hide();

    setUpSheet();

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
}

void Form1::startUp()
{
    m_fgMode = Favourites;
    m_fgWidth = {kLeftPaneWidth, kLeftPaneWidth};
    SetLeftPaneWidth();
    ShowLeftPane(0);
    m_calendar->setSelectedDate(QDate::currentDate());
    setStatusSimple(QStringLiteral("ヘルプ：　F1キー"));
    findChild<QMenu*>(QStringLiteral("mReserve"))->menuAction()->setEnabled(false);
    findChild<QMenu*>(QStringLiteral("mOpt"))->menuAction()->setEnabled(false);
    findChild<QAction*>(QStringLiteral("mHelpVersion"))->setEnabled(false);
    setWindowTitle(QStringLiteral("Tarnwell Zettora"));
    m_urlBox->hide();
    OpenDefaultDatabase();
    OpenResultSet(m_session.connection(), m_session.results(),
                  ResultSource::wholeTable(Schema::name(Schema::kMemoIdx)));
    {
        // Tab 0 is already current, so the tab-click handling is run by hand.
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabBrowser);
    }
    SSTab_Click();
    m_shownF = false;
    m_helpTopic = HelpTopic::kMainWindow;
    resize(twipsToPixels(kInitialWidth), twipsToPixels(kInitialHeight));
}

int Form1::windowWidth() const
{
    return pixelsToTwips(m_paneArea->width());
}

void Form1::ArrangePanes(int leftWidth)
{
    const int height = pixelsToTwips(m_paneArea->height());
    const int width = windowWidth();
    m_fg0->setGeometry(twipsRect(0, 0, leftWidth, height));
    m_fg1->setGeometry(twipsRect(0, 0, leftWidth, height));
    m_fgWidth = {leftWidth, leftWidth};
    m_hzDrag->setGeometry(twipsRect(leftWidth, 0, kSplitterWidth, height));
    m_tabs->setGeometry(twipsRect(leftWidth + kPaneGap, 0, width - leftWidth - kTabStripRightMargin, height));
    m_calendar->move(twipsToPixels(leftWidth + kPaneGap), 0);
    // The address box lies over the toolbar, so its top counts from the toolbar's, below the menu bar.
    QRect box =
        twipsRect(kAddressBoxLeft, kAddressBoxTop, pixelsToTwips(this->width()) - kAddressBoxMargin, kAddressBoxHeight);
    box.translate(0, m_toolbar->y());
    m_urlBox->setGeometry(box);
    m_hzDrag->raise();
}

void Form1::SetLeftPaneWidth()
{
    const int width = m_fgMode == RecordView ? kLeftPaneWidthRecordView : kLeftPaneWidth;
    m_fgWidth = {width, width};
    m_fg0->resize(twipsToPixels(width), m_fg0->height());
    m_fg1->resize(twipsToPixels(width), m_fg1->height());
}

void Form1::ShowLeftPane(int which)
{
    QWidget* front = which == 0 ? static_cast<QWidget*>(m_fg0) : m_fg1;
    QWidget* back = which == 0 ? static_cast<QWidget*>(m_fg1) : m_fg0;
    front->show();
    front->raise();
    back->hide();
    m_hzDrag->raise();
}

void Form1::ShowTabPanes(int which)
{
    m_urlBox->hide();
    m_calendar->hide();
    m_calendar->lower();
    m_wb->setVisible(which == 1);
    m_mData->setVisible(which == 0);
    m_fr->setVisible(which == 2);
    m_rtBox->setVisible(which == 22);
    if (which == 2) {
        m_fr->setEnabled(true);
        m_fr->verticalHeader()->setMinimumWidth(twipsToPixels(kListColumn0Width));
    }
    if (which == 22)
        m_fr->lower();
}

void Form1::hzDragDrop(QWidget* target, int x)
{
    int width = m_fgWidth[0];
    if (target == m_fg0 || target == m_fg1) {
        width = leftWidthAfterDropOnLeftGrid(x);
    } else if (target == m_tabs || target == m_mData || target == m_rtBox || target == m_wb || target == m_fr) {
        width = leftWidthAfterDropOnTabStrip(m_fgWidth[0], x, windowWidth());
    }
    ArrangePanes(width);
}

void Form1::onSplitterDropped(const QPoint& globalPos)
{
    const QPoint inArea = m_paneArea->mapFromGlobal(globalPos);
    m_hzDrag->hide();
    QWidget* hit = m_paneArea->childAt(inArea);
    m_hzDrag->show();
    const std::array<QWidget*, 7> targets{m_fg0, m_fg1, m_mData, m_rtBox, m_wb, m_fr, m_tabs};
    for (QWidget* w = hit; w; w = w->parentWidget()) {
        if (std::find(targets.begin(), targets.end(), w) != targets.end()) {
            hzDragDrop(w, pixelsToTwips(w->mapFromGlobal(globalPos).x()));
            return;
        }
    }
    ArrangePanes(m_fgWidth[0]);
}

void Form1::onPaneAreaResized()
{
    if (!isMinimized())
        ArrangePanes(m_fgWidth[0]);
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        ArrangePanes(m_fgWidth[0]);
}

void Form1::setStatusSimple(const QString& text)
{
    m_statusSimple->setText(text);
    m_statusSimple->show();
    m_statusPanel1->hide();
    m_statusPanel2->hide();
}

void Form1::setStatusPanels(const QString& panel1, const QString& panel2)
{
    m_statusSimple->hide();
    m_statusPanel1->setText(panel1);
    m_statusPanel1->setFixedWidth(twipsToPixels(kStatusPanel1Width));
    m_statusPanel2->setText(panel2);
    // Panel 2 takes the rest of the bar (window width - 2200) by stretching, so the window can still shrink.
    m_statusPanel1->show();
    m_statusPanel2->show();
}

QString Form1::statusText(int panel) const
{
    if (panel == 0)
        return m_statusSimple->isVisibleTo(statusBar()) ? m_statusSimple->text() : QString();
    return panel == 1 ? m_statusPanel1->text() : m_statusPanel2->text();
}
