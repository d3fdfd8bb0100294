// Opening and creating collections, and the display settings each opening loads.
#include "common/helptopics.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/schema.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "settings/displaysettingsstore.h"
#include "web/webpane.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLockFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace {

const QString kDatabaseFilter = QStringLiteral("Database (*.mdb)");
const QString kOpenFailed = QStringLiteral("データベース・オープンに失敗しました。");
const QString kNotScrapDatabase = QStringLiteral("Zettora 用データベースを選択してください。");
const QString kInUse =
    QStringLiteral("このデータベースは他の Zettora で使用中です。　そちらを閉じてから開いてください。");

QString captionFor(const QString& name, DatabaseKind kind)
{
    return kind == DatabaseKind::SavedEdition ? name + QStringLiteral(" （保存版）") : name;
}

} // namespace

// Opens path and checks its kind; only a file that passes every check replaces the open collection,
// so a refused file leaves the previous one open and usable.
bool MainWindow::openAndCheck(const QString& path, DatabaseKind& kind)
{
    std::unique_ptr<Connection> candidate;
    try {
        candidate = OpenSharedConnection(path);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot open" << path << e.message();
        m_dialogs.critical(e.notADatabase() ? kNotScrapDatabase : kOpenFailed);
        return false;
    }
    const KindCheck check = CheckDatabaseKind(*candidate);
    if (!check.accepted()) {
        qCWarning(lcMainWindow) << "not a scrap database:" << path << "kind" << check.kind;
        m_dialogs.critical(kNotScrapDatabase);
        return false;
    }
    kind = check.acceptedKind();
    // One program writes a collection at a time; a lock its crashed owner left behind is taken over.
    std::unique_ptr<QLockFile> lock;
    if (kind == DatabaseKind::Scrap) {
        const QFileInfo file(path);
        lock =
            std::make_unique<QLockFile>(file.absoluteDir().filePath(u'.' + file.fileName() + QStringLiteral(".lock")));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError) {
                qCWarning(lcMainWindow) << "in use by another program:" << path;
                m_dialogs.critical(kInUse);
                return false;
            }
            // A folder where no lock can be made (read-only media) leaves nothing to guard.
            lock.reset();
        }
    }
    try {
        // A saved edition is read-only in depth: no write of any window can reach the file.
        if (kind == DatabaseKind::SavedEdition)
            candidate->refuseWrites();
        else
            Schema::ensureIndexes(*candidate);
    } catch (const DbError& e) {
        // A file that cannot be written (a read-only copy) is still readable without its indexes.
        qCWarning(lcMainWindow) << "cannot add the lookup indexes to" << path << e.message();
    }
    stopBodyIndex();
    backUpAfterChanges();
    m_session.adoptDatabase(std::move(candidate), path, databaseNameOf(path), kind);
    m_collectionLock = std::move(lock);
    startBodyIndex();
    backUpIfDue();
    refreshStartPage();
    setWindowTitle(captionFor(m_session.databaseName(), kind));
    ReadDisplayFont(*m_session.connection(), m_session.displayFont);
    ApplyDisplayFont();
    ReadBackColor(*m_session.connection(), m_session.markers);
    return true;
}

void MainWindow::applyOpenedDatabaseMenus()
{
    m_searchDeleteAction->setEnabled(false);
    m_reserveMenu->menuAction()->setEnabled(false);
    m_optionsMenu->menuAction()->setEnabled(true);
    m_versionAction->setEnabled(true);
}

void MainWindow::OpenDefaultDatabase()
{
    DatabaseKind kind = DatabaseKind::None;
    if (!openAndCheck(m_options.databasePath, kind))
        return;
    applyOpenedDatabaseMenus();
}

void MainWindow::OpenOtherDatabase()
{
    const std::optional<QString> path = m_dialogs.openFile(QStringLiteral("データベースオープン"), kDatabaseFilter);
    if (!path)
        return;
    // The old program's Access file is not refused outright: the user may convert it.
    if (looksLikeAccessFile(*path)) {
        if (m_dialogs.askYesNo(
                QStringLiteral("旧形式（Access）の Zettora データベースです。　新しい形式に変換して開きますか？")))
            importFrom(*path);
        else
            m_dialogs.critical(kNotScrapDatabase);
        return;
    }
    openDatabaseAt(*path);
}

void MainWindow::openDatabaseAt(const QString& path)
{
    offerToSaveRecordEdit();
    DatabaseKind kind = DatabaseKind::None;
    if (!openAndCheck(path, kind))
        return;
    m_previousMode = m_mode;
    m_tabs->setEnabled(true);
    if (kind == DatabaseKind::Scrap) {
        {
            const QSignalBlocker block(m_tabs);
            for (int tab : {TabBrowser, TabEntry, TabSearch})
                m_tabs->setTabEnabled(tab, true);
            m_tabs->setCurrentIndex(TabEntry);
        }
        ShowTabPanes(TabPane::Entry);
        m_mode = Mode::Registration;
        ShowRegistrationMode();
        m_entryBody->clear();
        endEntryMarking();
        m_entryBody->setFocus();
        applyOpenedDatabaseMenus();
    } else {
        {
            const QSignalBlocker block(m_tabs);
            m_tabs->setTabEnabled(TabSearch, true);
            m_tabs->setCurrentIndex(TabSearch);
            m_tabs->setTabEnabled(TabBrowser, false);
            m_tabs->setTabEnabled(TabEntry, false);
        }
        ShowTabPanes(TabPane::List);
        m_mode = Mode::Search;
        ShowSearchMode();
        m_recordView = false;
        for (QAction* action : {m_openAction, m_createAction, m_searchDeleteAction})
            action->setEnabled(false);
        m_reserveMenu->menuAction()->setEnabled(false);
        m_optionsMenu->menuAction()->setEnabled(false);
    }
    m_helpTopic = HelpTopic::kWebAndEntry;
    m_webShown = false;
    UnloadSpeechCharacter();
    LoadSpeechCharacter();
}

void MainWindow::CreateScrapDatabase()
{
    const std::optional<QString> answer = m_dialogs.saveFile(QStringLiteral("データベース新規作成"), kDatabaseFilter);
    if (!answer)
        return;
    const QString path = withDatabaseExtension(*answer);
    try {
        createScrapDatabaseFile(path);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot create" << path << e.message();
        m_dialogs.critical(QStringLiteral("データベース作成に失敗しました。"));
        return;
    }
    m_dialogs.information(path + QStringLiteral(" が使えるようになりました。") + u'\n' +
                          QStringLiteral("DBオープンボタンで使用開始します。"));
}

void MainWindow::ApplyDisplayFont()
{
    const DisplayFont& display = m_session.displayFont;
    QFont font(display.name, display.size);
    font.setBold(display.bold);
    font.setItalic(display.italic);
    m_entryBody->setFont(font);
    m_recordBody->setFont(font);
}
