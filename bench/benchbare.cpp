#include "benchops.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

qint64 bareStepAll(sqlite3* handle, const char* sql, const std::vector<QByteArray>& texts)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("cannot prepare: ") + sqlite3_errmsg(handle));
    for (int i = 0; i < int(texts.size()); ++i)
        sqlite3_bind_text(statement, i + 1, texts[i].constData(), int(texts[i].size()), SQLITE_STATIC);
    qint64 rows = 0;
    const int columns = sqlite3_column_count(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            // Asking for the value in its stored form makes the engine produce it, as a real reader would.
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                sqlite3_column_int64(statement, c);
                break;
            case SQLITE_FLOAT:
                sqlite3_column_double(statement, c);
                break;
            case SQLITE_TEXT:
                sqlite3_column_text(statement, c);
                sqlite3_column_bytes(statement, c);
                break;
            case SQLITE_BLOB:
                sqlite3_column_blob(statement, c);
                sqlite3_column_bytes(statement, c);
                break;
            default:
                break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string("cannot step: ") + sqlite3_errmsg(handle));
    return rows;
}
