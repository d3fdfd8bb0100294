#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

// A file that cannot be read as an Access database, or one whose pages or rows are damaged.
class AccessError : public std::runtime_error {
public:
    explicit AccessError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}

    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// One cell of an Access table, as the file stores it.
struct AccessValue {
    enum class Kind { Null, Integer, Real, Text, Date, Binary };
    Kind kind = Kind::Null;
    qint64 integer = 0; // Integer: bytes, ints, longs, booleans (Yes/No as 1/0)
    double real = 0;    // Real: single, double and currency
    QString text;       // Text: text and memo columns, whole and exact
    QDateTime date;     // Date: the stored date and time of day, in UTC so that no zone shifts it
    QByteArray bytes;   // Binary: OLE and binary columns, byte for byte

    // A memo or OLE value whose pages do not hold what its row says: Cut keeps the bytes both agree on, Unreadable
    // and TooLarge keep nothing (kind Null).
    enum class Damage { None, Cut, Unreadable, TooLarge };
    Damage damage = Damage::None;
    qint64 storedLength = 0;  // memo and OLE: the length the row gives
    qint64 heldLength = 0;    // memo and OLE: the bytes its pages hold, up to where their chain ends, loops or breaks
    bool chainBroken = false; // the chain looped, ran past the file's page count or led to a page that cannot be read
};

// An old program's Access 2000 (Jet 4) file, opened for reading only.
class AccessFile {
public:
    // Opens the file for reading only; throws AccessError with a clear English message when it is not an Access
    // file, cannot be read, or its catalog is damaged.
    static std::unique_ptr<AccessFile> open(const QString& path);
    ~AccessFile();

    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    // The user tables' names as the catalog spells them (no MSys* system tables).
    QStringList tableNames() const;
    // The columns of a table, in the table's column order. Throws AccessError for a missing table.
    QStringList columnNames(const QString& table) const;
    // Calls row() for every row in storage order with one value per column (same order as columnNames); stops early
    // when row() returns false. Returns the number of rows delivered. Throws AccessError when a page or row cannot be
    // read. A memo or OLE value longer than longValueLimit bytes is not read (Damage::TooLarge).
    qint64 readRows(const QString& table, const std::function<bool(const std::vector<AccessValue>&)>& row,
                    qint64 longValueLimit = std::numeric_limits<qint64>::max()) const;

private:
    struct Private;
    explicit AccessFile(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};
