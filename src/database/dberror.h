#pragma once

#include "common/result.h"

#include <QString>

#include <stdexcept>

// The one error type of the storage layer: SQLite's result code (or kWidthExceeded) and a readable message.
class DbError : public std::runtime_error {
public:
    static constexpr int kWidthExceeded = -1000;
    static constexpr int kNoCurrentRow = -1001;
    static constexpr int kNotUpdatable = -1002;
    static constexpr int kFileExists = -1003;
    // A write before the opening check of the file has passed.
    static constexpr int kNotYetChecked = -1004;
    static constexpr int kSqliteNotADb = 26; // SQLITE_NOTADB, without pulling sqlite3.h into every caller

    DbError(int code, const QString& message)
        : std::runtime_error(message.toStdString())
        , m_code(code)
        , m_message(message)
    {}
    // With the reason the user is told, where the program knows it better than the code does.
    DbError(int code, const QString& message, const QString& reason)
        : DbError(code, message)
    {
        m_reason = reason;
    }

    int code() const { return m_code; }
    // The file exists but is not a database the engine can read (an old Access file, a picture, ...).
    bool notADatabase() const { return (m_code & 0xFF) == kSqliteNotADb; }
    const QString& message() const { return m_message; }
    // Why it failed, in words the user understands, for the second line of a failure message.
    QString reason() const;

    // The failure of what, told with this error's reason; the engine's message goes to the log.
    Failure failure(const QString& what) const { return {what, reason(), m_message}; }

private:
    int m_code;
    QString m_message;
    QString m_reason;
};
