#include "transaction.h"

#include "connection.h"
#include "dberror.h"

#include <SQLiteCpp/Exception.h>

Transaction::Transaction(Connection& connection)
    : m_connection(connection)
{
    try {
        m_transaction.emplace(connection.engine(), SQLite::TransactionBehavior::IMMEDIATE);
    } catch (const SQLite::Exception& e) {
        throw DbError(connection.errorCode(e.getErrorCode()), QString::fromUtf8(e.what()));
    }
    if (TransactionObserver* observer = connection.transactionObserver())
        observer->transactionBegun(connection);
}

Transaction::~Transaction() = default;

void Transaction::commit()
{
    if (TransactionObserver* observer = m_connection.transactionObserver())
        observer->transactionCommitting(m_connection);
    try {
        m_transaction->commit();
    } catch (const SQLite::Exception& e) {
        throw DbError(m_connection.errorCode(e.getErrorCode()), QString::fromUtf8(e.what()));
    }
}
