#include "transaction.h"

#include "connection.h"
#include "dberror.h"

#include <SQLiteCpp/Exception.h>

Transaction::Transaction(Connection& connection)
{
    try {
        m_transaction.emplace(connection.engine(), SQLite::TransactionBehavior::IMMEDIATE);
    } catch (const SQLite::Exception& e) {
        throw DbError(e.getErrorCode(), QString::fromUtf8(e.what()));
    }
}

Transaction::~Transaction() = default;

void Transaction::commit()
{
    try {
        m_transaction->commit();
    } catch (const SQLite::Exception& e) {
        throw DbError(e.getErrorCode(), QString::fromUtf8(e.what()));
    }
}
