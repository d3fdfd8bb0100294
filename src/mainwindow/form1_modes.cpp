// The tabs and the modes they select.
#include "common/helptopics.h"
#include "common/helpwindow.h"
#include "common/session.h"
#include "form1.h"
#include "geometry.h"
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

void Form1::SSTab_Click()
{
    m_modeLeft = m_fgMode;
    switch (m_tabs->currentIndex()) {
    case TabBrowser:
        m_fgMode = Favourites;
        ShowTabPanes(1);
        ShowFavouritesMode();
        // The window is not made 6 twips lower on each visit of this tab: it keeps the size the user gave it.
        ArrangePanes(m_fgWidth[0]);
        m_helpTopic = HelpTopic::kWebAndEntry;
        break;
    case TabEntry:
        ShowTabPanes(0);
        m_fgMode = Registration;
        ShowRegistrationMode();
        m_helpTopic = HelpTopic::kWebAndEntry;
        break;
    case TabSearch:
        if (m_recordView) {
            m_fgMode = RecordView;
            ShowTabPanes(22);
            ShowLeftPane(1);
            m_fgWidth = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
            ClearToolbar();
            BuildRecordToolbar();
            ArrangePanes(m_fgWidth[1]);
            m_helpTopic = HelpTopic::kRecordView;
        } else {
            m_fgMode = Search;
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

void Form1::CloseModeWindows()
{
    static const std::set<QString> kFromRegistration = {
        QStringLiteral("Form10"), QStringLiteral("Form11"), QStringLiteral("Form2"),
        QStringLiteral("Form3"),  QStringLiteral("Form4"),  QStringLiteral("Form8"),
    };
    static const std::set<QString> kFromRecordView = {QStringLiteral("Form4"), QStringLiteral("Form7"),
                                                      QStringLiteral("Form9")};
    const std::set<QString>* names = nullptr;
    if (m_modeLeft == Registration)
        names = &kFromRegistration;
    else if (m_modeLeft == RecordView)
        names = &kFromRecordView;
    if (!names)
        return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && names->count(window->objectName()))
            window->close();
    }
}

void Form1::CloseOtherWindows()
{
    // The help viewer is a reference beside the program, not one of its working windows: it stays.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window != m_helpWindow && window->isVisible() && !qobject_cast<QMenu*>(window))
            window->close();
    }
}

void Form1::ShowFavouritesMode()
{
    CloseModeWindows();
    if (!m_webShown) {
        // The browser goes to its home page here once the web pane exists.
    }
    ClearToolbar();
    BuildWebToolbar();
    InitFG0_WEB();
    InitFG0_WEBaddFolder();
    ShowLeftPane(0);
    SetLeftPaneWidth();
    ArrangePanes(m_fgWidth[1]);
    m_helpTopic = HelpTopic::kWebAndEntry;
}

void Form1::ShowRegistrationMode()
{
    CloseModeWindows();
    InitFG0_SCR();
    InitFG0_SCRaddFolder();
    ClearToolbar();
    BuildEntryToolbar();
    for (const char16_t* key : {u"drawMEMO", u"underLine"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(m_justRegistered);
    }
    ShowLeftPane(0);
    ArrangePanes(m_fgWidth[1]);
}

void Form1::ShowSearchMode()
{
    m_loadedBody.clear();
    CloseOtherWindows();
    m_session.closeResults();
    m_recordView = false;
    m_fgMode = Search;
    ShowLeftPane(0);
    InitFR();
    InitFG0_SCR();
    InitFG0_SCRaddFolder();
    ShowTabPanes(2);
    SetLeftPaneWidth();
    ArrangePanes(m_fgWidth[1]);
    setStatusPanels(QString(), QStringLiteral("ヘルプ：F1キー"));
    ClearToolbar();
    BuildSearchToolbar();
    ButtonEnable_Search(false);
    findChild<QMenu*>(QStringLiteral("mReserve"))->menuAction()->setEnabled(false);
    m_helpTopic = HelpTopic::kSearch;
}

void Form1::ButtonEnable_Search(bool ok)
{
    for (const char16_t* key : {u"pDownMEMO", u"excelvt", u"firstDataMEMO"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(ok);
    }
}

void Form1::MenuUnEnable_Search(bool ok)
{
    findChild<QAction*>(QStringLiteral("mSearchDel"))->setEnabled(ok);
    findChild<QMenu*>(QStringLiteral("mReserve"))->menuAction()->setEnabled(ok);
}

void Form1::closeEvent(QCloseEvent* event)
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
