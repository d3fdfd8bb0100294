#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Connection;
class ListingWindow;
class ResultSet;
struct sqlite3;

// What every operation may use; set up once before the first measurement.
struct BenchContext {
    QString path;
    bool writable = false;                  // false for a user's collection: nothing may be written to it
    std::unique_ptr<Connection> connection; // opened as the program opens it
    std::unique_ptr<ResultSet> shared;      // the program's shared result set slot
    sqlite3* bare = nullptr;                // a plain read-only handle for the bare comparisons
    QString firstMajorClass;
    // The main window on the collection, made by the first operation that needs it.
    std::shared_ptr<ListingWindow> window;
};

// One measured operation. run() does it the program's way, bare() reads the same rows with plain SQLite calls;
// both return a count (rows, or a value read) that must agree, so the two are known to do the same work.
struct BenchOp {
    QString name;
    std::function<qint64(BenchContext&)> run;
    std::function<qint64(BenchContext&)> bare;
};

using BenchRegistry = std::vector<BenchOp>;

// One registration function per area of the program, called in this order by main().
void registerOpeningOps(BenchRegistry& registry);
void registerListingOps(BenchRegistry& registry);

// Prepares sql on handle, binds texts as UTF-8 in order, steps over every row touching every column without
// converting anything, and returns the number of rows.
qint64 bareStepAll(sqlite3* handle, const char* sql, const std::vector<QByteArray>& texts = {});
