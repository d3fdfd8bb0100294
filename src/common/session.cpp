#include "session.h"

#include "database/connection.h"
#include "database/opening.h"
#include "database/resultset.h"

Session::Session() = default;

Session::~Session()
{
    closeResults();
    closeConnection();
}

void Session::adoptDatabase(std::unique_ptr<Connection> connection, const QString& path, const QString& name, int kind)
{
    closeResults();
    m_connection = std::move(connection);
    m_databasePath = path;
    m_databaseName = name;
    m_databaseKind = kind;
}

void Session::closeResults()
{
    m_results.reset();
}

void Session::closeConnection()
{
    // The result set reads through the connection, so it never outlives it.
    m_results.reset();
    m_connection.reset();
}

bool Session::isSavedEdition() const
{
    return m_databaseKind == kSavedEditionKind;
}
