// The open collection as the window shows it: opening, creating, importing, backing up and restoring.
#include "backup/restoredialog.h"
#include "collection/collection.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "legacyimport/importwindows.h"
#include "mainwindow.h"
#include "recordview.h"
#include "speechreader.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace {

const QString kDatabaseFilter = QStringLiteral("Database (*.mdb)");
const QString kNotScrapDatabase = QStringLiteral("Zettora 用データベースを選択してください。");

} // namespace

// Jet and ACE files name their format in the first page's header.
bool looksLikeAccessFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.size() >= 19 && (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
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
    if (const Done opened = m_collection.open(m_options.databasePath); !opened) {
        if (!opened.message().isEmpty())
            m_dialogs.critical(opened.message());
        return;
    }
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

void MainWindow::openDatabaseAt(const QString& path, bool leaveAsked)
{
    if (!leaveAsked && !mayCloseCollection())
        return;
    if (const Done opened = m_collection.open(path); !opened) {
        if (!opened.message().isEmpty())
            m_dialogs.critical(opened.message());
        return;
    }
    m_previousMode = m_mode;
    m_tabs->setEnabled(true);
    if (!m_session.isReadOnly()) {
        {
            const QSignalBlocker block(m_tabs);
            for (int tab : {TabBrowser, TabEntry, TabSearch})
                m_tabs->setTabEnabled(tab, true);
            m_tabs->setCurrentIndex(TabEntry);
        }
        ShowTabPanes(TabPane::Entry);
        m_mode = Mode::Registration;
        ShowRegistrationMode();
        entryBody()->clear();
        endEntryMarking();
        entryBody()->setFocus();
        applyOpenedDatabaseMenus();
    } else {
        showReadOnlyLayout();
    }
    m_helpTopic = HelpTopic::kWebAndEntry;
    m_webShown = false;
    // The collection opened brings its own character, whether or not the first one's was loaded yet.
    m_speechAfterFirstFrame = false;
    m_reader->unload();
    m_reader->load();
}

// Whatever opened it, the window shows the collection now open.
void MainWindow::onCollectionOpened()
{
    if (m_record)
        m_record->end();
    m_recordView = false;
    endEntryMarking();
    m_entryRegisteredPfID.reset();
    refreshStartPage();
    // The count or the scrap position of the collection before is no count of this one.
    m_statusPanel1->clear();
    setWindowTitle(m_collection.caption());
    ApplyDisplayFont();
    // File dialogs start beside the collection the user works on.
    m_dialogs.setStartFolder(QFileInfo(m_collection.path()).absolutePath());
}

// A file nothing may be written to shows its scraps in the search tab only, as a saved edition does.
void MainWindow::showReadOnlyLayout()
{
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
    // A read-only collection still lets the user open or make another one, and restore a backup of this one; a saved
    // edition has no backups of its own.
    const bool edition = m_session.isSavedEdition();
    m_openAction->setEnabled(!edition);
    m_createAction->setEnabled(!edition);
    m_restoreAction->setEnabled(!edition);
    m_searchDeleteAction->setEnabled(false);
    m_reserveMenu->menuAction()->setEnabled(false);
    m_optionsMenu->menuAction()->setEnabled(false);
}

void MainWindow::CreateScrapDatabase()
{
    const std::optional<QString> answer = m_dialogs.saveFile(QStringLiteral("データベース新規作成"), kDatabaseFilter);
    if (!answer)
        return;
    const Result<QString> made = Collection::create(*answer);
    if (!made) {
        m_dialogs.critical(made.message());
        return;
    }
    m_dialogs.information(*made + QStringLiteral(" が使えるようになりました。") + u'\n' +
                          QStringLiteral("DBオープンボタンで使用開始します。"));
}

void MainWindow::ApplyDisplayFont()
{
    const DisplayFont& display = m_session.displayFont;
    QFont font(display.name, display.size);
    font.setBold(display.bold);
    font.setItalic(display.italic);
    // Panes not made yet take the font when they are.
    if (!m_tabContentsBuilt)
        return;
    m_entryBody->setFont(font);
    m_recordBody->setFont(font);
}

void MainWindow::ImportOldCollection()
{
    const std::optional<QString> path =
        m_dialogs.openFile(QStringLiteral("旧形式のZettoraを取り込む"), QStringLiteral("Access (*.mdb)"));
    if (path)
        importFrom(*path);
}

void MainWindow::importFrom(const QString& oldPath)
{
    const QFileInfo old(oldPath);
    const QString proposal = old.absoluteDir().filePath(old.completeBaseName() + QStringLiteral("（変換）.mdb"));
    const std::optional<QString> answer =
        m_dialogs.saveFile(QStringLiteral("変換したZettoraの保存先"), kDatabaseFilter, proposal);
    if (!answer)
        return;
    const QString target = QFileInfo(Collection::filePathFor(*answer)).absoluteFilePath();
    if (QFileInfo::exists(target)) {
        m_dialogs.critical(QStringLiteral("同じ名前のファイルがあります。別の名前を指定してください。"));
        return;
    }
    const QString program =
        m_options.importProgram.isEmpty() ? QCoreApplication::applicationFilePath() : m_options.importProgram;
    const Result<QString> converted =
        ImportProgressWindow::run(program, oldPath, target, this, [this](QWidget* progress) {
            giveHelpKey(progress, HelpTopic::kImport);
            ChildWindows::centre(progress, this);
        });
    if (!converted) {
        m_dialogs.critical(converted.message());
        return;
    }
    auto* report = new ImportReportWindow(*converted, this);
    giveHelpKey(report, HelpTopic::kImport);
    report->setAttribute(Qt::WA_DeleteOnClose);
    ChildWindows::centre(report, this);
    report->show();
    openDatabaseAt(target);
}

void MainWindow::BackUpNow()
{
    if (const Done started = m_collection.backUpNow(); !started)
        m_dialogs.exclamation(started.message());
}

void MainWindow::RestoreFromBackup()
{
    if (!m_collection.isOpen())
        return;
    // A saved edition opened at start-up keeps the menus of a collection; it is never backed up itself.
    if (m_session.isSavedEdition()) {
        m_dialogs.information(QStringLiteral("保存版にはバックアップがありません。"));
        return;
    }
    const QList<Backups::Entry> entries = m_collection.backups();
    if (entries.isEmpty()) {
        m_dialogs.information(QStringLiteral("このデータベースのバックアップはまだありません。"));
        return;
    }
    RestoreDialog dialog(entries, this);
    giveHelpKey(&dialog, HelpTopic::kBackups);
    ChildWindows::centre(&dialog, this);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0)
        return;
    if (!mayCloseCollection())
        return;
    const Result<QString> restored = m_collection.restoreCopy(entries[dialog.chosen()]);
    if (!restored) {
        m_dialogs.critical(restored.message());
        return;
    }
    openDatabaseAt(*restored, true);
}
