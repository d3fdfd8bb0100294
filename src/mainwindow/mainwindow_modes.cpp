// The tabs and the modes they select.
#include "common/helptopics.h"
#include "common/helpwindow.h"
#include "common/session.h"
#include "geometry.h"
#include "mainwindow.h"
#include "mainwindowlog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>

#include <set>

using namespace Geometry;

void MainWindow::onTabSelected()
{
    m_previousMode = m_mode;
    switch (m_tabs->currentIndex()) {
    case TabBrowser:
        m_mode = Favourites;
        ShowTabPanes(1);
        ShowFavouritesMode();
        // The window is not made 6 twips lower on each visit of this tab: it keeps the size the user gave it.
        ArrangePanes(m_leftPaneWidths[0]);
        m_helpTopic = HelpTopic::kWebAndEntry;
        break;
    case TabEntry:
        ShowTabPanes(0);
        m_mode = Registration;
        ShowRegistrationMode();
        m_helpTopic = HelpTopic::kWebAndEntry;
        break;
    case TabSearch:
        if (m_recordView) {
            m_mode = RecordView;
            ShowTabPanes(22);
            ShowLeftPane(1);
            m_leftPaneWidths = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
            ClearToolbar();
            BuildRecordToolbar();
            ArrangePanes(m_leftPaneWidths[1]);
            m_helpTopic = HelpTopic::kRecordView;
        } else {
            m_mode = Search;
            ShowTabPanes(2);
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
    static const std::set<QString> kFromRegistration = {
        QStringLiteral("Form10"), QStringLiteral("Form11"), QStringLiteral("Form2"),
        QStringLiteral("Form3"),  QStringLiteral("Form4"),  QStringLiteral("Form8"),
    };
    static const std::set<QString> kFromRecordView = {QStringLiteral("Form4"), QStringLiteral("Form7"),
                                                      QStringLiteral("Form9")};
    const std::set<QString>* names = nullptr;
    if (m_previousMode == Registration)
        names = &kFromRegistration;
    else if (m_previousMode == RecordView)
        names = &kFromRecordView;
    if (!names)
        return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && names->count(window->objectName()))
            window->close();
    }
}

void MainWindow::CloseOtherWindows()
{
    // The help viewer is a reference beside the program, not one of its working windows: it stays.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window != m_helpWindow && window->isVisible() && !qobject_cast<QMenu*>(window))
            window->close();
    }
}

void MainWindow::ShowFavouritesMode()
{
    CloseModeWindows();
    if (!m_webShown) {
        // The browser goes to its home page here once the web pane exists.
    }
    ClearToolbar();
    BuildWebToolbar();
    resetFavouritesTree();
    addFavouriteNodes();
    ShowLeftPane(0);
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
    ShowLeftPane(0);
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
    CloseOtherWindows();
    m_recordView = false;
    m_shownScrap.reset();
    m_mode = Search;
    ShowLeftPane(0);
    clearList();
    resetClassTree();
    addClassNodes();
    ShowTabPanes(2);
    SetLeftPaneWidth();
    ArrangePanes(m_leftPaneWidths[1]);
    setStatusPanels(QString(), QStringLiteral("ヘルプ：F1キー"));
    ClearToolbar();
    BuildSearchToolbar();
    enableResultCommands(false);
    findChild<QMenu*>(QStringLiteral("mReserve"))->menuAction()->setEnabled(false);
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
    findChild<QAction*>(QStringLiteral("mSearchDel"))->setEnabled(ok);
    findChild<QMenu*>(QStringLiteral("mReserve"))->menuAction()->setEnabled(ok);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Each step runs even when an earlier one failed; none of them can refuse the close.
    m_unloading = true;
    m_session.closeResults();
    m_session.closeConnection();
    CloseOtherWindows();
    if (m_helpWindow)
        m_helpWindow->close();
    event->accept();
}
