// The tabs and the modes they select.
#include "common/helptopics.h"
#include "common/helpwindow.h"
#include "common/session.h"
#include "geometry.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "pictures/pictureswindow.h"
#include "web/webpane.h"

#include <QAction>
#include <QCloseEvent>
#include <QLockFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>

using namespace Geometry;

void MainWindow::onTabSelected()
{
    if (m_mode == Mode::RecordView && m_tabs->currentIndex() != TabSearch)
        offerToSaveRecordEdit();
    m_previousMode = m_mode;
    switch (m_tabs->currentIndex()) {
    case TabBrowser:
        m_mode = Mode::Favourites;
        ShowTabPanes(TabPane::Browser);
        ShowFavouritesMode();
        // The window is not made 6 twips lower on each visit of this tab: it keeps the size the user gave it.
        ArrangePanes(m_leftPaneWidths[0]);
        m_helpTopic = HelpTopic::kWebAndEntry;
        break;
    case TabEntry:
        ShowTabPanes(TabPane::Entry);
        m_mode = Mode::Registration;
        ShowRegistrationMode();
        m_helpTopic = HelpTopic::kWebAndEntry;
        break;
    case TabSearch:
        if (m_recordView) {
            CloseModeWindows();
            m_mode = Mode::RecordView;
            ShowTabPanes(TabPane::RecordBody);
            ShowLeftPane(LeftPane::Sheet);
            m_leftPaneWidths = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
            ClearToolbar();
            BuildRecordToolbar();
            ArrangePanes(m_leftPaneWidths[1]);
            m_helpTopic = HelpTopic::kRecordView;
        } else {
            m_mode = Mode::Search;
            ShowTabPanes(TabPane::List);
            ShowSearchMode();
            m_recordView = false;
            m_helpTopic = HelpTopic::kSearch;
        }
        break;
    default:
        break;
    }
}

void MainWindow::CloseModeWindows()
{
    QList<QPointer<QWidget>> windows;
    if (m_previousMode == Mode::Registration)
        windows = {m_dateSearch, m_levelsEditor, m_treeEditor, m_registration, m_picker, m_importanceFilter};
    else if (m_previousMode == Mode::RecordView)
        windows = {m_picker, m_fullText, m_textSearch};
    for (const QPointer<QWidget>& window : windows) {
        if (window)
            window->close();
    }
}

void MainWindow::CloseOtherWindows()
{
    // The help viewer is a reference beside the program, not one of its working windows: it stays.
    const QList<QPointer<QWidget>> windows = {m_registration,  m_picker,     m_fullText,       m_treeEditor,
                                              m_levelsEditor,  m_textSearch, m_dateSearch,     m_importanceFilter,
                                              m_markerColours, m_version,    m_pictures.data()};
    for (const QPointer<QWidget>& window : windows) {
        if (window && window->isVisible())
            window->close();
    }
}

void MainWindow::ShowFavouritesMode()
{
    CloseModeWindows();
    if (!m_webShown)
        m_webPane->goHome();
    ClearToolbar();
    BuildWebToolbar();
    resetFavouritesTree();
    addFavouriteNodes();
    ShowLeftPane(LeftPane::Tree);
    SetLeftPaneWidth();
    ArrangePanes(m_leftPaneWidths[1]);
    m_helpTopic = HelpTopic::kWebAndEntry;
}

void MainWindow::ShowRegistrationMode()
{
    CloseModeWindows();
    resetClassTree();
    addClassNodes();
    ClearToolbar();
    BuildEntryToolbar();
    for (const char16_t* key : {u"drawMEMO", u"underLine"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(m_entryScrap.has_value());
    }
    ShowLeftPane(LeftPane::Tree);
    ArrangePanes(m_leftPaneWidths[1]);
}

void MainWindow::ShowSearchMode()
{
    m_session.closeResults();
    showSearchPanes();
}

void MainWindow::showSearchPanes()
{
    m_loadedBody.clear();
    m_bodySearchWords.clear();
    CloseOtherWindows();
    m_recordView = false;
    m_shownScrap.reset();
    m_mode = Mode::Search;
    ShowLeftPane(LeftPane::Tree);
    clearList();
    resetClassTree();
    addClassNodes();
    ShowTabPanes(TabPane::List);
    SetLeftPaneWidth();
    ArrangePanes(m_leftPaneWidths[1]);
    setStatusPanels(QString(), QStringLiteral("ヘルプ：F1キー"));
    ClearToolbar();
    BuildSearchToolbar();
    enableResultCommands(false);
    m_reserveMenu->menuAction()->setEnabled(false);
    m_helpTopic = HelpTopic::kSearch;
}

void MainWindow::enableResultCommands(bool ok)
{
    for (const char16_t* key : {u"pDownMEMO", u"excelvt", u"firstDataMEMO"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(ok);
    }
}

void MainWindow::enableResultMenus(bool ok)
{
    m_searchDeleteAction->setEnabled(ok);
    m_reserveMenu->menuAction()->setEnabled(ok);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Each step runs even when an earlier one failed; none of them can refuse the close.
    m_unloading = true;
    m_session.closeResults();
    stopBodyIndex();
    hide();
    backUpAfterChanges();
    m_session.closeConnection();
    m_collectionLock.reset();
    UnloadSpeechCharacter();
    CloseOtherWindows();
    if (m_helpWindow)
        m_helpWindow->close();
    event->accept();
}
