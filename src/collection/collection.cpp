#include "collection.h"

#include "backup/backupworker.h"
#include "collectionlock.h"
#include "collectionlog.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/recordstore.h"
#include "database/schema.h"
#include "ocr/picturereader.h"
#include "ocr/picturetext.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"
#include "settings/displaysettingsstore.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr int kVerdictRetryMs = 250;
const QString kOpenFailed = QStringLiteral("データベース・オープンに失敗しました。");
const QString kNotScrapDatabase = QStringLiteral("Zettora 用データベースを選択してください。");
const QString kInUse = QStringLiteral("このデータベースは他の Zettora で使用中です。　読み取り専用で開きますか？");

// A saved edition's index is kept apart from it and made anew whenever the file's size or time differs.
QString editionStamp(const QString& path)
{
    const QFileInfo info(path);
    return QString::number(info.size()) + u':' + QString::number(info.lastModified().toMSecsSinceEpoch());
}

} // namespace

Collection::Collection(Session& session, UserDialogs& dialogs, Options options, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_options(options)
{
    m_indexer = new BodyIndexer(this);
    connect(m_indexer, &BodyIndexer::fileChecked, this, &Collection::onFileChecked);
    connect(m_indexer, &BodyIndexer::progress, this, &Collection::indexProgress);
    connect(m_indexer, &BodyIndexer::finished, this, [this](quint64 run) {
        if (run != m_indexer->runNumber())
            return;
        if (m_indexKeeper)
            static_cast<IndexKeeper*>(m_indexKeeper.get())->setWorkerBusy(false);
        Q_EMIT indexFinished();
    });
    m_backupWorker = new BackupWorker(this);
    m_pictureReader = new PictureReader(this);
    // Text the reader stored is logged for the index: taken in at once, so a search asks the index, not every row.
    connect(m_pictureReader, &PictureReader::pictureRead, m_indexer, &BodyIndexer::resume);
    connect(m_pictureReader, &PictureReader::settled, m_indexer, &BodyIndexer::resume);
    connect(m_backupWorker, &BackupWorker::finished, this, [this](const Result<QString>& made) {
        // Another backup may have been started since this one was stopped.
        m_pictureReader->setHeld(m_backupWorker->isRunning());
        const bool asked = ++m_backupsFinished == m_backupAsked;
        if (!made && made.failure().detail == Backups::kStopped)
            return;
        if (!made)
            qCWarning(lcCollection) << "the backup failed:" << made.failure().detail;
        if (!made)
            Q_EMIT backupReported(QStringLiteral("バックアップを作れませんでした：") + made.failure().why);
        else if (asked)
            Q_EMIT backupReported(QStringLiteral("バックアップしました：") + *made);
    });
}

Collection::~Collection()
{
    stopIndex();
}

bool Collection::isOpen() const
{
    return m_session.connection() != nullptr;
}

QString Collection::path() const
{
    return m_session.databasePath();
}

QString Collection::caption() const
{
    if (m_session.isSavedEdition())
        return m_session.databaseName() + QStringLiteral(" （保存版）");
    return m_session.isReadOnly() ? m_session.databaseName() + QStringLiteral(" （読み取り専用）")
                                  : m_session.databaseName();
}

bool Collection::isWritable() const
{
    return isOpen() && m_writable && !m_session.isReadOnly();
}

bool Collection::readsPictureText() const
{
    Connection* connection = m_session.connection();
    try {
        return connection && PictureText::isEnabled(*connection);
    } catch (const DbError& e) {
        qCWarning(lcCollection) << "cannot read whether pictures are read:" << e.message();
        return false;
    }
}

Done Collection::setReadsPictureText(bool on)
{
    Connection* connection = m_session.connection();
    if (!connection || !isWritable())
        return Failure{QStringLiteral("設定を保存できませんでした。"),
                       QStringLiteral("このデータベースは読み取り専用です。")};
    try {
        PictureText::setEnabled(*connection, on);
    } catch (const DbError& e) {
        qCWarning(lcCollection) << "cannot turn the reading of pictures" << on << e.message();
        return e.failure(QStringLiteral("設定を保存できませんでした。"));
    }
    m_pictureReader->wake();
    return {};
}

bool Collection::isIndexChecked() const
{
    return m_indexer->isVerified();
}

Done Collection::open(const QString& path)
{
    std::unique_ptr<Connection> candidate;
    try {
        candidate = OpenSharedConnection(path);
    } catch (const DbError& e) {
        qCWarning(lcCollection) << "cannot open" << path << e.message();
        if (e.notADatabase())
            return Failure{kNotScrapDatabase, {}, e.message()};
        return e.failure(kOpenFailed);
    }
    const KindCheck check = CheckDatabaseKind(*candidate);
    if (!check.accepted()) {
        qCWarning(lcCollection) << "not a scrap database:" << path << "kind" << check.kind;
        return Failure{kNotScrapDatabase, {}, path};
    }
    const DatabaseKind kind = check.acceptedKind();
    ReadOnlyReason readOnly = ReadOnlyReason::None;
    std::unique_ptr<CollectionLock> lock;
    bool lockReused = false;
    if (kind == DatabaseKind::Scrap) {
        readOnly = readOnlyReasonOf(*candidate);
        if (readOnly == ReadOnlyReason::None) {
            // The collection open here is opened again under the lock this program holds.
            CollectionLock::Taken taken = CollectionLock::Taken::Locked;
            lockReused = m_lock && m_lock->covers(path);
            if (lockReused)
                lock = std::move(m_lock);
            else
                lock = CollectionLock::take(path, taken);
            if (taken == CollectionLock::Taken::InUse) {
                qCWarning(lcCollection) << "in use by another program:" << path;
                if (!m_dialogs.askYesNo(kInUse)) {
                    // What was open stays open, under its own lock.
                    return Failure{};
                }
                readOnly = ReadOnlyReason::InUse;
            }
        }
    }
    try {
        // Nothing writes a file before its check has passed; a saved edition is read-only in depth.
        candidate->refuseWrites(true);
    } catch (const DbError& e) {
        // The collection that stays open keeps the lock it was to be opened again under.
        if (lockReused)
            m_lock = std::move(lock);
        return e.failure(kOpenFailed);
    }
    close();
    m_session.adoptDatabase(std::move(candidate), path, databaseNameOf(path), kind);
    m_readOnlyReason = readOnly;
    if (readOnly != ReadOnlyReason::None)
        m_session.setReadOnly();
    m_lock = std::move(lock);
    m_writable = false;
    m_changesAtOpen = 0;
    startIndex();
    ReadDisplayFont(*m_session.connection(), m_session.displayFont);
    ReadBackColor(*m_session.connection(), m_session.markers);
    Q_EMIT opened();
    if (readOnly == ReadOnlyReason::Damaged)
        m_dialogs.critical(readOnlyNotice(readOnly));
    else if (readOnly != ReadOnlyReason::None && readOnly != ReadOnlyReason::InUse)
        m_dialogs.information(readOnlyNotice(readOnly));
    return {};
}

void Collection::close()
{
    if (!isOpen()) {
        m_lock.reset();
        return;
    }
    // Every window saves what it holds into this collection while it is still open.
    m_session.announceClosing();
    stopIndex();
    // The day's backup, running, is not waited for (a quit would wait minutes on a large file): the backup after
    // changes, or the next opening, makes it. One the user asked for is finished.
    if (m_backupAsked != m_backupsStarted)
        m_backupWorker->stop();
    backUpAfterChanges();
    m_session.closeConnection();
    m_lock.reset();
    m_writable = false;
    m_readOnlyReason = ReadOnlyReason::None;
}

Collection::ReadOnlyReason Collection::readOnlyReasonOf(Connection& connection) const
{
    if (connection.isWriteProtected())
        return ReadOnlyReason::WriteProtected;
    try {
        // Without one of its tables or columns a collection cannot take a scrap; what it has can still be read.
        if (const QStringList missing = Schema::missingParts(connection); !missing.isEmpty()) {
            qCWarning(lcCollection) << connection.path() << "lacks" << missing;
            return ReadOnlyReason::Damaged;
        }
        const QStringList foreign = BodyIndex::foreignTriggersAndViews(connection);
        if (foreign.isEmpty())
            return ReadOnlyReason::None;
        qCWarning(lcCollection) << "triggers or views of unknown origin in" << connection.path() << foreign;
    } catch (const DbError& e) {
        qCWarning(lcCollection) << "cannot read the schema of" << connection.path() << e.message();
    }
    return ReadOnlyReason::ForeignSchema;
}

QString Collection::readOnlyNotice(ReadOnlyReason reason) const
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
    case ReadOnlyReason::NumbersInUseTwice:
        return QStringLiteral("このデータベースには同じ番号のスクラップが複数あります。"
                              "　削除や保存で別のスクラップを壊さないよう、読み取り専用で開きました。");
    case ReadOnlyReason::InUse:
    case ReadOnlyReason::None:
        break;
    }
    return {};
}

void Collection::startIndex()
{
    stopIndex();
    m_indexUsable = false;
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    // A saved edition keeps its index in the user's cache; any other read-only file is searched with the index it
    // has, and nothing is written to it.
    const bool edition = m_session.isSavedEdition();
    const bool readOnly = m_session.isReadOnly() && !edition;
    m_indexSchema = QString::fromLatin1(edition ? BodyIndex::kCacheSchema : BodyIndex::kMainSchema);
    BodyIndexer::Job job;
    job.path = m_session.databasePath();
    job.schema = m_indexSchema;
    job.cacheFile = edition ? BodyIndex::cacheFileFor(job.path) : QString();
    job.stamp = edition ? editionStamp(job.path) : QString();
    job.readOnly = readOnly;
    try {
        BodyIndex::registerFunctions(*connection);
        if (edition)
            BodyIndex::attachCache(*connection, job.cacheFile);
        m_indexUsable = true;
    } catch (const DbError& e) {
        // Without its index a body search still answers, by reading every body.
        qCWarning(lcCollection) << "the body index cannot be used:" << e.message();
        return;
    }
    if (!edition && !readOnly) {
        auto keeper = std::make_unique<IndexKeeper>(m_indexSchema,
                                                    [this] { QTimer::singleShot(0, m_indexer, &BodyIndexer::resume); });
        keeper->setWorkerBusy(true);
        connection->setTransactionObserver(keeper.get());
        m_indexKeeper = std::move(keeper);
        // Read on the worker once the file's check has passed, taken up by onFileChecked: the numbers in use, and
        // those in use twice, which keep the file from being written.
        auto findings = std::make_shared<Findings>();
        m_findings = findings;
        job.prepare = [findings](Connection& worker) -> QString {
            findings->usedTwice = NumbersUsedTwice(worker);
            if (!findings->usedTwice.isEmpty())
                return QStringLiteral("numbers in use twice: ") + findings->usedTwice.join(u"; ");
            for (const NumberKind kind : {NumberKind::DocNo, NumberKind::pfID, NumberKind::skID, NumberKind::ndID})
                findings->inUse[counterColumnOf(kind)] = LargestNumberInUse(worker, kind);
            // Lookup indexes a file from elsewhere lacks are made once the file's check has passed, never before.
            try {
                Schema::ensureIndexes(worker);
            } catch (const DbError& e) {
                if (e.code() == SQLITE_BUSY || e.code() == SQLITE_LOCKED)
                    throw;
                // They make lookups quick, nothing more: a file that cannot take them is used without.
                qCWarning(lcCollection) << "cannot make the lookup indexes:" << e.message();
            }
            return QString();
        };
    }
    m_indexer->start(job);
}

void Collection::stopIndex()
{
    // A verdict put off for a modal window carries its findings no further than this collection.
    m_findings.reset();
    m_pictureReader->stop();
    m_indexer->stop();
    if (Connection* connection = m_session.connection())
        connection->setTransactionObserver(nullptr);
    m_indexKeeper.reset();
}

void Collection::remakeIndex()
{
    startIndex();
}

// The file's check ended on the worker: a sound collection may now be written and backed up; a damaged one is
// read-only from here on.
void Collection::onFileChecked(quint64 run, bool sound, const QString& problem)
{
    // A saved edition or a list being written holds the shared set while its progress turns the loop: the verdict,
    // which may close that set, waits for it.
    if (m_session.isBusy()) {
        connect(
            &m_session, &Session::idle, this, [this, run, sound, problem] { onFileChecked(run, sound, problem); },
            Qt::SingleShotConnection);
        return;
    }
    Connection* connection = m_session.connection();
    if (!connection || run != m_indexer->runNumber())
        return;
    const std::shared_ptr<Findings> findings = std::exchange(m_findings, nullptr);
    if (sound) {
        if (m_session.isReadOnly())
            return;
        if (findings) {
            for (auto it = findings->inUse.cbegin(); it != findings->inUse.cend(); ++it)
                connection->setNumberInUse(it.key(), it.value());
        }
        try {
            connection->allowWrites();
        } catch (const DbError& e) {
            qCWarning(lcCollection) << "cannot allow writes:" << e.message();
            return;
        }
        // A check run again (the index remade) keeps the count of the first: changes before it still want a backup.
        if (!m_writable)
            m_changesAtOpen = sqlite3_total_changes64(connection->handle());
        m_writable = true;
        backUpIfDue();
        if (!m_options.recognitionProgram.isEmpty())
            m_pictureReader->start({.path = path(),
                                    .program = m_options.recognitionProgram,
                                    .timeoutMs = m_options.recognitionTimeoutMs,
                                    .startDelayMs = m_options.recognitionDelayMs});
        return;
    }
    // Turning read-only closes the windows that write; one under a modal window (a question being asked, the tree
    // editor) would be destroyed while that window still uses it, so the verdict waits for it to close.
    if (QGuiApplication::modalWindow()) {
        m_findings = findings;
        QTimer::singleShot(kVerdictRetryMs, this, [this, run, problem] { onFileChecked(run, false, problem); });
        return;
    }
    const bool usedTwice = findings && !findings->usedTwice.isEmpty();
    const ReadOnlyReason reason = usedTwice ? ReadOnlyReason::NumbersInUseTwice : ReadOnlyReason::Damaged;
    qCWarning(lcCollection) << "not to be written:" << m_session.databasePath() << problem;
    if (m_readOnlyReason == reason)
        return;
    m_readOnlyReason = reason;
    if (!m_session.isSavedEdition()) {
        m_session.setReadOnly();
        Q_EMIT turnedReadOnly();
    }
    if (usedTwice)
        m_dialogs.exclamation(readOnlyNotice(reason) + u'\n' + findings->usedTwice.mid(0, 5).join(u'\n'));
    else
        m_dialogs.critical(readOnlyNotice(reason));
}

void Collection::backUpIfDue()
{
    if (!isWritable() || !m_options.backups)
        return;
    if (Backups::isDue(Backups::folderFor(path())) && m_backupWorker->start(path())) {
        ++m_backupsStarted;
        m_pictureReader->setHeld(true);
    }
}

Done Collection::backUpNow()
{
    if (!isOpen() || m_session.isReadOnly())
        return Failure{QStringLiteral("バックアップを作れませんでした。"),
                       QStringLiteral("このデータベースは読み取り専用です。"), path()};
    // The day's backup may be started over by every write: this one is made in its place, the window not waiting.
    m_backupWorker->stop();
    m_backupWorker->wait();
    if (m_backupWorker->start(path())) {
        m_backupAsked = ++m_backupsStarted;
        m_pictureReader->setHeld(true);
    }
    return {};
}

void Collection::backUpAfterChanges()
{
    Connection* connection = m_session.connection();
    m_backupWorker->wait();
    if (!connection || !m_writable || m_session.isReadOnly() || !m_options.backups ||
        sqlite3_total_changes64(connection->handle()) == m_changesAtOpen)
        return;
    const Result<QString> made = Backups::make(path(), Backups::folderFor(path()));
    if (!made) {
        qCWarning(lcCollection) << "the backup on closing failed:" << made.failure().detail;
        // The changes of this session are in no backup: the user is told while something can still be done.
        m_dialogs.exclamation(made.failure().message());
    }
}

QList<Backups::Entry> Collection::backups() const
{
    if (!isOpen())
        return {};
    QList<Backups::Entry> entries;
    for (const QString& folder : Backups::foldersFor(path()))
        entries << Backups::list(folder);
    std::sort(entries.begin(), entries.end(),
              [](const Backups::Entry& a, const Backups::Entry& b) { return a.when > b.when; });
    return entries;
}

Result<QString> Collection::restoreCopy(const Backups::Entry& backup) const
{
    // A backup running meanwhile may take out the oldest copies, the chosen one among them, as it ends: the day's
    // backup is stopped (a stopped one takes none out), one the user asked for is waited for.
    if (m_backupAsked != m_backupsStarted)
        m_backupWorker->stop();
    m_backupWorker->wait();
    return Backups::restore(backup, path());
}

QString Collection::filePathFor(const QString& answer)
{
    return withDatabaseExtension(answer);
}

Result<QString> Collection::create(const QString& answer)
{
    const QString path = filePathFor(answer);
    try {
        createScrapDatabaseFile(path);
    } catch (const DbError& e) {
        qCWarning(lcCollection) << "cannot create" << path << e.message();
        return e.failure(QStringLiteral("データベース作成に失敗しました。"));
    }
    return path;
}
