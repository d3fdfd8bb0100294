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
#include "search/bodyindex.h"
#include "search/bodyindexer.h"
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
const QString kInUse = QStringLiteral("このデータベースは他の Zettora で使用中です。　読み取り専用で開きますか？");

QString captionFor(const QString& name, DatabaseKind kind, bool readOnly)
{
    if (kind == DatabaseKind::SavedEdition)
        return name + QStringLiteral(" （保存版）");
    return readOnly ? name + QStringLiteral(" （読み取り専用）") : name;
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
    ReadOnlyReason readOnly = ReadOnlyReason::None;
    std::unique_ptr<QLockFile> lock;
    if (kind == DatabaseKind::Scrap) {
        readOnly = readOnlyReasonOf(*candidate);
        bool inUse = false;
        if (readOnly == ReadOnlyReason::None && !lockCollection(path, lock, inUse))
            return false;
        if (inUse)
            readOnly = ReadOnlyReason::InUse;
    }
    try {
        // Nothing writes a file before its check passed; a saved edition is read-only in depth.
        if (kind == DatabaseKind::Scrap && readOnly == ReadOnlyReason::None)
            Schema::ensureIndexes(*candidate);
        candidate->refuseWrites();
    } catch (const DbError& e) {
        // A file that cannot be written (a read-only copy) is still readable without its indexes.
        qCWarning(lcMainWindow) << "cannot add the lookup indexes to" << path << e.message();
    }
    stopBodyIndex();
    backUpAfterChanges();
    m_session.adoptDatabase(std::move(candidate), path, databaseNameOf(path), kind);
    m_readOnlyReason = readOnly;
    if (readOnly != ReadOnlyReason::None)
        m_session.setReadOnly();
    m_changesAtOpen = 0;
    m_collectionLock = std::move(lock);
    startBodyIndex();
    refreshStartPage();
    setWindowTitle(captionFor(m_session.databaseName(), kind, readOnly != ReadOnlyReason::None));
    ReadDisplayFont(*m_session.connection(), m_session.displayFont);
    ApplyDisplayFont();
    ReadBackColor(*m_session.connection(), m_session.markers);
    if (readOnly == ReadOnlyReason::Damaged)
        m_dialogs.critical(readOnlyNotice(readOnly));
    else if (readOnly != ReadOnlyReason::None && readOnly != ReadOnlyReason::InUse)
        m_dialogs.information(readOnlyNotice(readOnly));
    return true;
}

// One program writes a collection at a time; a lock its crashed owner left behind is taken over. Another program's
// collection may be read: false when the user would rather not, and lock stays empty when it is read.
bool MainWindow::lockCollection(const QString& path, std::unique_ptr<QLockFile>& lock, bool& inUse)
{
    const QFileInfo file(path);
    // The collection open here is opened again with the lock this window holds.
    if (m_collectionLock && file.canonicalFilePath() == QFileInfo(m_session.databasePath()).canonicalFilePath()) {
        lock = std::move(m_collectionLock);
        return true;
    }
    lock = std::make_unique<QLockFile>(file.absoluteDir().filePath(u'.' + file.fileName() + QStringLiteral(".lock")));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return true;
    inUse = lock->error() == QLockFile::LockFailedError;
    // A folder where no lock can be made (read-only media) leaves nothing to guard.
    lock.reset();
    if (!inUse)
        return true;
    qCWarning(lcMainWindow) << "in use by another program:" << path;
    return m_dialogs.askYesNo(kInUse);
}

MainWindow::ReadOnlyReason MainWindow::readOnlyReasonOf(Connection& connection)
{
    if (connection.isWriteProtected())
        return ReadOnlyReason::WriteProtected;
    try {
        // Without one of its tables or columns a collection cannot take a scrap; what it has can still be read.
        if (const QStringList missing = Schema::missingParts(connection); !missing.isEmpty()) {
            qCWarning(lcMainWindow) << connection.path() << "lacks" << missing;
            return ReadOnlyReason::Damaged;
        }
        const QStringList foreign = BodyIndex::foreignTriggersAndViews(connection);
        if (foreign.isEmpty())
            return ReadOnlyReason::None;
        qCWarning(lcMainWindow) << "triggers or views of unknown origin in" << connection.path() << foreign;
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the schema of" << connection.path() << e.message();
    }
    return ReadOnlyReason::ForeignSchema;
}

QString MainWindow::readOnlyNotice(ReadOnlyReason reason)
{
    switch (reason) {
    case ReadOnlyReason::WriteProtected:
        return QStringLiteral(
            "このデータベースには書き込めません（書き込みできない場所か、書き込みの許可がありません）。"
            "　読み取り専用で開きました。");
    case ReadOnlyReason::ForeignSchema:
        return QStringLiteral("このデータベースには Zettora が作っていないトリガーまたはビューがあります。"
                              "　安全のため読み取り専用で開きました。");
    case ReadOnlyReason::Damaged:
        return QStringLiteral("このデータベースは壊れています。　これ以上壊れないよう読み取り専用にしました。"
                              "　ファイルメニューの「バックアップから復元…」で以前の状態に戻せます。");
    case ReadOnlyReason::InUse:
    case ReadOnlyReason::None:
        break;
    }
    return {};
}

// The file's check ended on the worker: a sound collection may now be written and backed up; a damaged one is
// shown read-only from here on.
void MainWindow::onFileChecked(quint64 run, bool sound, const QString& problem)
{
    Connection* connection = m_session.connection();
    if (!connection || run != m_bodyIndexer->runNumber())
        return;
    if (sound) {
        if (m_session.isReadOnly())
            return;
        try {
            connection->allowWrites();
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot allow writes:" << e.message();
            return;
        }
        backUpIfDue();
        return;
    }
    qCWarning(lcMainWindow) << "damaged:" << m_session.databasePath() << problem;
    if (m_readOnlyReason == ReadOnlyReason::Damaged)
        return;
    m_readOnlyReason = ReadOnlyReason::Damaged;
    if (!m_session.isSavedEdition()) {
        m_session.setReadOnly();
        setWindowTitle(captionFor(m_session.databaseName(), m_session.databaseKind(), true));
        showReadOnlyLayout();
    }
    m_dialogs.critical(readOnlyNotice(ReadOnlyReason::Damaged));
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
        m_entryBody->clear();
        endEntryMarking();
        m_entryBody->setFocus();
        applyOpenedDatabaseMenus();
    } else {
        showReadOnlyLayout();
    }
    m_helpTopic = HelpTopic::kWebAndEntry;
    m_webShown = false;
    UnloadSpeechCharacter();
    LoadSpeechCharacter();
}

// A file nothing may be written to shows its scraps in the search tab only, as a saved edition does.
void MainWindow::showReadOnlyLayout()
{
    offerToSaveRecordEdit();
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
    // A read-only collection still lets the user open or make another one, and restore a backup of this one.
    const bool edition = m_session.isSavedEdition();
    m_openAction->setEnabled(!edition);
    m_createAction->setEnabled(!edition);
    m_searchDeleteAction->setEnabled(false);
    m_reserveMenu->menuAction()->setEnabled(false);
    m_optionsMenu->menuAction()->setEnabled(false);
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
