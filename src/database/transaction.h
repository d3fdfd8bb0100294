#pragma once

#include <QtGlobal>

#include <SQLiteCpp/Transaction.h>

#include <optional>

class Connection;

// Commits at commit(); rolls back in the destructor when commit() was not reached. Never throws from there.
class Transaction final {
public:
    explicit Transaction(Connection& connection);
    Q_DISABLE_COPY_MOVE(Transaction)
    ~Transaction();

    void commit();

private:
    Connection& m_connection;
    std::optional<SQLite::Transaction> m_transaction;
};
