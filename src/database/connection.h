#pragma once

#include <QHash>
#include <QString>

#include <SQLiteCpp/Database.h>

#include <memory>

struct sqlite3;
class Connection;

// Told of every transaction a Transaction opens on a connection: what must be written in the same transaction as
// the rows it changed (the search index) is written at committing.
class TransactionObserver {
public:
    virtual ~TransactionObserver() = default;
    virtual void transactionBegun(Connection& connection) = 0;
    // Called before COMMIT; may write. Must not throw.
    virtual void transactionCommitting(Connection& connection) = 0;
};

// One open scrap database file. Owns the engine handle; every failure is thrown as DbError.
class Connection final {
public:
    // Opens an existing file for reading and writing; never creates one.
    static std::unique_ptr<Connection> openExisting(const QString& path);
    // Creates a new, empty file; refuses a path where any file already exists.
    static std::unique_ptr<Connection> createNew(const QString& path);

    Q_DISABLE_COPY_MOVE(Connection)
    ~Connection();

    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db.getHandle(); }
    SQLite::Database& engine() { return m_db; }

    // Runs one statement that takes no values (pragmas, schema statements).
    void execute(const QString& sql);
    // From now on every write through this connection fails: for a saved edition, or until a check passed (a write
    // refused meanwhile then fails with DbError::kNotYetChecked).
    void refuseWrites(bool untilChecked = false);
    void allowWrites();
    // The code a failure of the engine is reported with: a write refused until the check is told as such.
    [[nodiscard]] int errorCode(int rc) const;
    // True when the file or its folder cannot be written (read-only media, no permission): SQLite then opened it
    // for reading only, or could not make its journal beside it.
    [[nodiscard]] bool isWriteProtected() const;
    bool hasTable(const QString& name) const;
    qint64 lastInsertRowid() const;

    // The largest number of a counter column of IDno found in use when the file was checked: the counter moves up to
    // it when it next gives a number (a counter left behind by another tool would hand out a number twice).
    void setNumberInUse(const QString& counterColumn, qint64 number) { m_numbersInUse[counterColumn] = number; }
    qint64 numberInUse(const QString& counterColumn) const { return m_numbersInUse.value(counterColumn, 0); }

    // The one observer of this connection's transactions, or null. Not owned.
    void setTransactionObserver(TransactionObserver* observer) { m_observer = observer; }
    TransactionObserver* transactionObserver() const { return m_observer; }

private:
    Connection(const QString& path, int flags);
    void configure();

    QString m_path;
    SQLite::Database m_db;
    bool m_refusedUntilChecked = false;
    TransactionObserver* m_observer = nullptr;
    QHash<QString, qint64> m_numbersInUse;
};
