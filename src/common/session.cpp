#include "session.h"

#include "database/connection.h"
#include "database/resultset.h"
#include "database/schema.h"

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
    std::unique_ptr<ResultSet> set = OpenWritableResultSet(m_connection.get(), source);
    const bool opened = set != nullptr;
    replaceResults(std::move(set));
    return opened;
}

bool Session::openAllScraps()
{
    return openResults(ResultSource::wholeTable(Schema::name(Schema::kMemoIdx)));
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
