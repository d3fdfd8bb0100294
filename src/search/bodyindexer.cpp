#include "bodyindexer.h"

#include "bodyindex.h"
#include "database/dberror.h"
#include "database/query.h"
#include "searchlog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRowsAtCommit = 64;
constexpr int kBusyRetries = 50;
// How much lower than the window's thread the worker runs.
constexpr int kWorkerNice = 10;

bool mayBeDamage(int code)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_NOMEM:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_INTERRUPT:
        return false;
    default:
        return true;
    }
}

} // namespace

BodyIndexer::BodyIndexer(QObject* parent)
    : QObject(parent)
{}

BodyIndexer::~BodyIndexer()
{
    stop();
}

void BodyIndexer::start(Job job)
{
    stop();
    m_job = std::move(job);
    m_verified = false;
    m_fileChecked = false;
    m_checkPassed = false;
    ++m_run;
    m_running = true;
    m_worker = std::thread([this] { run(true); });
}

void BodyIndexer::resume()
{
    if (m_running.load() || m_job.path.isEmpty() || m_job.readOnly || !m_verified.load())
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_running = true;
    m_worker = std::thread([this] { run(false); });
}

void BodyIndexer::stop()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    m_stop = false;
    m_running = false;
    // A resume queued before the stop (a picture read, a commit) must not start a worker on a file no longer open.
    m_job.path.clear();
}

QString BodyIndexer::checkFile(Connection& connection)
{
    // integrity_check, not quick_check: only it compares every lookup index with its table, and an index whose root
    // points at another index's tree would hand one scrap's body to another.
    QString problem;
    try {
        Query check(connection, QStringLiteral("PRAGMA main.integrity_check(1)"));
        if (!check.next() || check.text(0) != QLatin1StringView("ok"))
            problem = check.text(0);
    } catch (const DbError& e) {
        if (e.code() == SQLITE_BUSY || e.code() == SQLITE_LOCKED || m_stop.load())
            throw;
        problem = e.message();
    }
    if (!problem.isEmpty())
        qCWarning(lcSearch) << "the check of" << m_job.path << "found:" << problem;
    return problem;
}

void BodyIndexer::run(bool verify)
{
    // Below the window's thread: the check reads the whole file and a rebuild takes minutes, and on two cores either
    // at full priority starves the event loop for tens of ms.
    const auto thread = id_t(::gettid());
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, thread);
    if (errno != 0 || ::setpriority(PRIO_PROCESS, thread, std::min(19, nice + kWorkerNice)) != 0)
        qCDebug(lcSearch) << "the body index worker runs at the window's priority:" << std::strerror(errno);
    bool complete = false;
    bool repaired = false;
    // The window's connection may hold the file for a moment; the worker waits rather than giving up, and without
    // the check's verdict the collection stays unwritable, so that wait lasts as long as another program's lock.
    for (int attempt = 0; (attempt < kBusyRetries || !m_fileChecked.load()) && !m_stop.load(); ++attempt) {
        try {
            auto connection = Connection::openExisting(m_job.path);
            // A stop interrupts whatever runs: the check reads every page, and a catching up may take a body of
            // many megabytes.
            sqlite3_progress_handler(
                connection->handle(), 10000,
                [](void* self) -> int { return static_cast<BodyIndexer*>(self)->m_stop.load() ? 1 : 0; }, this);
            if (!m_fileChecked.load()) {
                QString problem = m_checkPassed ? QString() : checkFile(*connection);
                m_checkPassed = problem.isEmpty();
                if (m_checkPassed && m_job.prepare && !m_job.readOnly)
                    problem = m_job.prepare(*connection);
                m_fileChecked = true;
                // The tries spent waiting for the check leave the index as many as ever.
                attempt = 0;
                Q_EMIT fileChecked(m_run, problem.isEmpty(), problem);
                if (!problem.isEmpty())
                    break;
            }
            BodyIndex::registerFunctions(*connection);
            if (!m_job.cacheFile.isEmpty())
                BodyIndex::attachCache(*connection, m_job.cacheFile);
            if (m_job.readOnly) {
                // A file nobody may write is searched with the index it has, when that index is sound; one that
                // fails even the probe is read body by body, and left as it is.
                try {
                    m_verified = BodyIndex::isSound(*connection, m_job.schema, m_job.stamp);
                } catch (const DbError& e) {
                    if (e.code() == SQLITE_BUSY || e.code() == SQLITE_LOCKED)
                        throw;
                    qCInfo(lcSearch) << "the body index of the read-only" << m_job.path
                                     << "is not used:" << e.message();
                    m_verified = false;
                }
                complete = m_verified.load();
                break;
            }
            if (verify) {
                const bool rebuilding = BodyIndex::verifyOrReset(*connection, m_job.schema, m_job.stamp);
                verify = false;
                m_verified = true;
                Q_EMIT verified(rebuilding);
            }
            const qint64 scraps = BodyIndex::scrapCount(*connection);
            complete = BodyIndex::catchUpAll(
                *connection, m_job.schema,
                [this, scraps](qint64 done, qint64 total) {
                    // A rebuild logs a body and a title row for each scrap, and the user counts scraps; a catching
                    // up of a few rows (a picture's text just read) counts those rows, not the whole collection.
                    const qint64 shown = std::min(total, scraps);
                    Q_EMIT progress(total > 0 ? done * shown / total : 0, shown);
                },
                [this] { return m_stop.load(); });
            break;
        } catch (const DbError& e) {
            if (m_stop.load())
                break;
            if (e.code() != SQLITE_BUSY && e.code() != SQLITE_LOCKED) {
                qCWarning(lcSearch) << "the body index of" << m_job.path << "cannot be kept:" << e.message();
                // A file that cannot even be opened for the check is as damaged as one the check refuses.
                if (!m_fileChecked.load() && !m_stop.load()) {
                    m_fileChecked = true;
                    Q_EMIT fileChecked(m_run, false, e.message());
                    break;
                }
                // Once, an index another tool damaged is taken out, and made anew on a fresh connection; a full disk
                // or a medium that refuses writes has damaged nothing.
                if (verify && !repaired && !m_job.readOnly && mayBeDamage(e.code()) && repairDamagedIndex()) {
                    repaired = true;
                    continue;
                }
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    m_running = false;
    Q_EMIT finished(m_run, complete);
}

bool BodyIndexer::repairDamagedIndex()
{
    try {
        auto connection = Connection::openExisting(m_job.path);
        if (!m_job.cacheFile.isEmpty())
            BodyIndex::attachCache(*connection, m_job.cacheFile);
        BodyIndex::forgetDamagedIndex(*connection, m_job.schema);
        return true;
    } catch (const DbError& e) {
        qCWarning(lcSearch) << "the damaged body index of" << m_job.path << "cannot be taken out:" << e.message();
        return false;
    }
}

IndexKeeper::IndexKeeper(QString schema, std::function<void()> leftOver)
    : m_schema(std::move(schema))
    , m_leftOver(std::move(leftOver))
{}

void IndexKeeper::transactionBegun(Connection& connection)
{
    // One read per transaction: before the worker installed the index there is no log, and nothing to keep.
    try {
        m_begunAfter = BodyIndex::lastLogged(connection, m_schema);
    } catch (const DbError& e) {
        qCDebug(lcSearch) << "no body index log to keep in step:" << e.message();
        m_begunAfter = -1;
    }
}

void IndexKeeper::transactionCommitting(Connection& connection)
{
    if (m_begunAfter < 0)
        return;
    // A failure leaves the rows logged, which a search still finds: the transaction itself goes on to commit.
    try {
        connection.execute(QStringLiteral("SAVEPOINT body_index"));
    } catch (const DbError& e) {
        qCWarning(lcSearch) << "cannot keep the body index:" << e.message();
        return;
    }
    bool leftOver = false;
    try {
        const int taken = BodyIndex::catchUp(connection, m_schema, kRowsAtCommit, m_workerBusy ? m_begunAfter : 0);
        if (failureForTest)
            failureForTest();
        leftOver = taken == kRowsAtCommit;
        connection.execute(QStringLiteral("RELEASE body_index"));
    } catch (const DbError& e) {
        qCWarning(lcSearch) << "the body index was not kept at this commit:" << e.message();
        try {
            connection.execute(QStringLiteral("ROLLBACK TO body_index"));
            connection.execute(QStringLiteral("RELEASE body_index"));
        } catch (const DbError& inner) {
            qCWarning(lcSearch) << "cannot undo the body index's writes:" << inner.message();
        }
        leftOver = true;
    }
    if (leftOver && m_leftOver)
        m_leftOver();
}
