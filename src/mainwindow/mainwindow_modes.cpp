// The tabs and the modes they select, and closing the window.
#include "bodymarks.h"
#include "collection/collection.h"
#include "common/helptopics.h"
#include "common/helpwindow.h"
#include "common/session.h"
#include "common/typedtext.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "geometry.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "recordview.h"
#include "scraplistcontroller.h"
#include "sources/sourcekeeper.h"
#include "speech/speechoutput.h"
#include "speechreader.h"
#include "web/webpane.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <utility>

using namespace Geometry;
using Kind = ChildWindows::Kind;

bool MainWindow::leaveRecordView()
{
    return !m_recordView || record()->leave();
}

bool MainWindow::mayCloseCollection()
{
    if (m_sources->copiesFollowScraps()) {
        m_dialogs.exclamation(QStringLiteral("登録したスクラップのページのコピーを保存中です。　"
                                             "保存が終わってから、もう一度お試しください。"));
        return false;
    }
    // A body that could not be saved keeps this collection open, with the text.
    if (!leaveRecordView())
        return false;
    // A clipping typed in the entry tab and not registered is emptied with the collection: not without asking.
    const QString entry = typedText(entryBody());
    // Registered text stays so after a listing or a cancelled sheet ended its marking, until its scrap is deleted.
    const auto registeredAndStored = [this] {
        try {
            return m_entryRegisteredPfID && m_session.connection() &&
                   BodyMarks::scrapIsStored(*m_session.connection(), *m_entryRegisteredPfID);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot tell whether the entry text is stored:" << e.message();
            return false;
        }
    };
    if (entry.trimmed().isEmpty() || (entry == m_entryRegisteredBody && registeredAndStored()))
        return true;
    return m_dialogs.askYesNo(
        QStringLiteral("スクラップ作成の本文は登録されていません。　破棄して別のデータベースを開きますか？"),
        UserDialogs::Icon::Question, UserDialogs::Default::No);
}

void MainWindow::onTabSelected()
{
    // Leaving record view with a body that could not be saved keeps the user on it, with the text.
    if (m_mode == Mode::RecordView && m_tabs->currentIndex() != TabSearch && !leaveRecordView()) {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabSearch);
        return;
    }
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
            m_helpTopic = HelpTopic::kSearch;
        }
        break;
    default:
        break;
    }
}

void MainWindow::CloseModeWindows()
{
    if (m_previousMode == Mode::Registration)
        m_children.close({Kind::DateSearch, Kind::LevelsEditor, Kind::TreeEditor, Kind::Registration, Kind::Picker,
                          Kind::ImportanceFilter});
    else if (m_previousMode == Mode::RecordView)
        m_children.close({Kind::Picker, Kind::FullText, Kind::TextSearch});
}

void MainWindow::ShowFavouritesMode()
{
    CloseModeWindows();
    if (!m_webShown)
        m_webPane->goHome();
    ClearToolbar();
    BuildWebToolbar();
    showFavouritesTree();
    ShowLeftPane(LeftPane::Tree);
    SetLeftPaneWidth();
    ArrangePanes(m_leftPaneWidths[1]);
    m_helpTopic = HelpTopic::kWebAndEntry;
}

void MainWindow::ShowRegistrationMode()
{
    CloseModeWindows();
    showClassTree();
    ClearToolbar();
    BuildEntryToolbar();
    enableEntryMarking(m_entryScrap.has_value());
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
    m_children.closeAllButWaitingPicture();
    if (m_record)
        m_record->end();
    m_recordView = false;
    m_mode = Mode::Search;
    ShowLeftPane(LeftPane::Tree);
    listController()->clear();
    showClassTree();
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

void MainWindow::ShowRecordMode(int position)
{
    record()->setSearchWords(listController()->searchWords());
    if (!record()->show(position))
        return;
    m_recordView = true;
    m_mode = Mode::RecordView;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabSearch);
    }
    ShowTabPanes(TabPane::RecordBody);
    ShowLeftPane(LeftPane::Sheet);
    m_leftPaneWidths = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
    ClearToolbar();
    BuildRecordToolbar();
    const bool readOnly = m_session.isReadOnly();
    for (const char16_t* key : {u"RecEditMEMO", u"underLineInd", u"delMEMO"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(!readOnly);
    }
    ArrangePanes(m_leftPaneWidths[1]);
    enableResultMenus(false);
    m_helpTopic = HelpTopic::kRecordView;
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

void MainWindow::onListed(int count)
{
    if (count < 0) {
        enableResultMenus(false);
        enableResultCommands(false);
        return;
    }
    enableResultMenus(count > 0 && !m_session.isReadOnly());
    enableResultCommands(count > 0);
}

void MainWindow::closeWhenWorkEnds()
{
    if (m_closeWaiter)
        return;
    auto* waiter = new QObject(this);
    m_closeWaiter = waiter;
    const auto retry = [this, waiter] {
        // Either signal asks once; the close then waits again if work remains.
        if (m_closeWaiter != waiter)
            return;
        m_closeWaiter = nullptr;
        waiter->deleteLater();
        close();
    };
    connect(&m_session, &Session::idle, waiter, retry, Qt::QueuedConnection);
    connect(m_sources, &SourceKeeper::copiesChanged, waiter, retry, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Work on the collection ends first: a saved edition holds the scraps shown, a page copy follows a scrap already
    // registered. A signal or the window manager may ask for the close while their progress is shown.
    if (m_session.isBusy() || m_sources->copiesFollowScraps()) {
        event->ignore();
        closeWhenWorkEnds();
        return;
    }
    // A body that could not be saved keeps the window open, with the text.
    if (!m_unloading && !leaveRecordView()) {
        event->ignore();
        return;
    }
    m_unloading = true;
    hide();
    // Every window saves what it holds first (a caption being typed), then the collection closes.
    m_children.closeAll();
    m_collection.close();
    m_reader->unload();
    if (m_helpWindow)
        m_helpWindow->close();
    event->accept();
}
