#include "session.h"

#include "commonlog.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/resultset.h"
#include "database/schema.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kRowsWorthReturningMemory = 10000;

} // namespace

Session::Session() = default;

Session::~Session()
{
    // No one listens any more; the set reads through the connection, so it goes first.
    blockSignals(true);
    m_results.reset();
    m_connection.reset();
}

bool Session::openResults(const ResultSource& source)
{
    m_resultsFailure = {};
    std::unique_ptr<ResultSet> set = OpenWritableResultSet(m_connection.get(), source, &m_resultsFailure);
    const bool opened = set != nullptr;
    replaceResults(std::move(set));
    return opened;
}

bool Session::openAllScraps()
{
    return openResults(ResultSource::wholeTable(Schema::name(Schema::kMemoIdx)));
}

qint64 Session::lastScrapRow() const
{
    if (!m_connection)
        return 0;
    try {
        Query last(*m_connection,
                   QStringLiteral("SELECT coalesce(max(rowid), 0) FROM ") + Schema::name(Schema::kMemoIdx));
        return last.next() ? last.integer(0) : 0;
    } catch (const DbError& e) {
        qCWarning(lcCommon) << "cannot read the last scrap row:" << e.message();
        return 0;
    }
}

void Session::closeResults()
{
    if (m_results)
        replaceResults(nullptr);
}

void Session::replaceResults(std::unique_ptr<ResultSet> set)
{
    std::unique_ptr<ResultSet> previous = std::exchange(m_results, std::move(set));
    ++m_generation;
    Q_EMIT resultsReplaced();
    const bool large = previous && previous->recordCount() > kRowsWorthReturningMemory;
    previous.reset();
#ifdef __GLIBC__
    // The rows of a large set are thousands of small blocks; glibc keeps what they leave free unless told to return it.
    if (large)
        malloc_trim(0);
#endif
}

void Session::announceResultsChanged()
{
    Q_EMIT resultsChanged();
}

void Session::adoptDatabase(std::unique_ptr<Connection> connection, const QString& path, const QString& name,
                            DatabaseKind kind)
{
    closeConnection();
    m_connection = std::move(connection);
    m_closingAnnounced = false;
    m_databasePath = path;
    m_databaseName = name;
    m_databaseKind = kind;
    m_readOnly = kind == DatabaseKind::SavedEdition;
}

void Session::announceClosing()
{
    if (!m_connection || m_closingAnnounced)
        return;
    m_closingAnnounced = true;
    Q_EMIT collectionClosing();
}

void Session::closeConnection()
{
    announceClosing();
    // The result set reads through the connection, so it never outlives it.
    closeResults();
    m_connection.reset();
    m_readOnly = false;
    ++m_collectionId;
}

Session::Busy::Busy(Session& session)
    : m_session(session)
{
    ++m_session.m_busy;
}

Session::Busy::~Busy()
{
    if (--m_session.m_busy == 0)
        Q_EMIT m_session.idle();
}
