#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>

#include <memory>

class Connection;
struct sqlite3_stmt;

// One prepared statement with bound values. Refuses SQL text holding more than one statement.
// Text is bound and read as UTF-16; an empty text stays apart from NULL (an invalid QVariant).
class Query final {
public:
    Query(Connection& connection, const QString& sql);
    Q_DISABLE_COPY_MOVE(Query)
    ~Query();

    // Indexes start at 1, as in the SQL text's "?" order.
    Query& bind(int index, const QString& text);
    Query& bind(int index, qint64 number);
    Query& bind(int index, int number) { return bind(index, qint64(number)); }
    Query& bind(int index, const QByteArray& blob);
    Query& bind(int index, const QDate& date);
    Query& bind(int index, const QVariant& value);
    Query& bindNull(int index);
    Query& bindAll(const QVariantList& values);
    // The value of column in source's current row, exactly as stored (type and bytes): for copying rows.
    Query& bindStored(int index, const Query& source, int column);

    // Steps once: true when a row is there to read.
    bool next();
    // Steps until the statement is done (for writes).
    void run();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    QVariant value(int column) const;
    QString text(int column) const;
    qint64 integer(int column) const;
    QByteArray blob(int column) const;
    // The stored UTF-8 bytes of a text value, valid until the next step; a null view when the value is no text.
    QByteArrayView utf8(int column) const;

    // Number of rows the last write changed.
    int changes() const;

private:
    [[noreturn]] void fail(int rc) const;
    void check(int rc) const;

    Connection& m_connection;
    QString m_sql;
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
};

// Text as a file stores it, in UTF-8; a byte order mark at the front is kept as the text's first character.
QString fromStoredUtf8(QByteArrayView utf8);
// Escapes LIKE's wildcards so that a text matches literally with "ESCAPE '\'".
QString escapeLike(const QString& text);
// The ISO text a date is stored as, and back.
QString dateText(const QDate& date);
QDate dateFromText(const QString& text);
