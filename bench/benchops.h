#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Connection;
class ListingWindow;
struct sqlite3;

// What every operation may use; set up once before the first measurement.
struct BenchContext {
    QString path;
    bool writable = false;                  // false for a user's collection: nothing may be written to it
    std::unique_ptr<Connection> connection; // opened as the program opens it
    sqlite3* bare = nullptr;                // a plain read-only handle for the bare comparisons
    QString firstMajorClass;
    // The main window on the collection, made by the first operation that needs it.
    std::shared_ptr<ListingWindow> window;
    // What an operation keeps for the whole run (a window of its own), gone with the context, before the application.
    std::vector<std::shared_ptr<void>> kept;
    // Run untimed before each operation, so that none inherits what the one before it left running or open.
    std::function<void(BenchContext&)> beforeEachOp;
};

// One measured operation. run() does it the program's way, bare() reads the same rows with plain SQLite calls;
// both return a count (rows, or a value read) that must agree, so the two are known to do the same work. Without
// bare() the line tells run()'s count as hits instead.
struct BenchOp {
    QString name;
    // Brings about, untimed, the state the operation starts from (a listing, an index made).
    std::function<void(BenchContext&)> prepare;
    std::function<qint64(BenchContext&)> run;
    std::function<qint64(BenchContext&)> bare;
    // Per-item operations (one step, one registration) time each item themselves: one call returns the time
    // of every item in ms, and the line reports their median, minimum and maximum.
    std::function<std::vector<double>(BenchContext&)> runItems;
    std::function<std::vector<double>(BenchContext&)> bareItems;
    // Operations that measure something other than time (memory, sizes) tell their own fields: "name=value ...".
    std::function<QString(BenchContext&)> report;
    // Operations that write run only on a collection generated for the run, never on a user's file.
    bool writes = false;
    // What the count run() returns is called on the line of an operation without bare().
    QString countName = QStringLiteral("hits");
};

using BenchRegistry = std::vector<BenchOp>;

// An operation timed as a whole, several runs against as many bare reads.
inline BenchOp wholeOp(const QString& name, std::function<qint64(BenchContext&)> run,
                       std::function<qint64(BenchContext&)> bare, std::function<void(BenchContext&)> prepare = {})
{
    BenchOp op;
    op.name = name;
    op.prepare = std::move(prepare);
    op.run = std::move(run);
    op.bare = std::move(bare);
    return op;
}

// An operation that times each of its items itself.
inline BenchOp itemsOp(const QString& name, std::function<std::vector<double>(BenchContext&)> run,
                       std::function<std::vector<double>(BenchContext&)> bare, bool writes = false)
{
    BenchOp op;
    op.name = name;
    op.runItems = std::move(run);
    op.bareItems = std::move(bare);
    op.writes = writes;
    return op;
}

// An operation that tells its own figures instead of timings.
inline BenchOp reportOp(const QString& name, std::function<QString(BenchContext&)> report,
                        std::function<void(BenchContext&)> prepare = {})
{
    BenchOp op;
    op.name = name;
    op.prepare = std::move(prepare);
    op.report = std::move(report);
    return op;
}

// One registration function per area of the program, called in this order by main().
void registerOpeningOps(BenchRegistry& registry);
void registerListingOps(BenchRegistry& registry);
void registerRecordOps(BenchRegistry& registry);
void registerFullTextOps(BenchRegistry& registry);
void registerSearchOps(BenchRegistry& registry);
void registerBodySearchOps(BenchRegistry& registry);
void registerTreeOps(BenchRegistry& registry);
void registerPictureOps(BenchRegistry& registry);
void registerExportOps(BenchRegistry& registry);
void registerSavedEditionOps(BenchRegistry& registry);
void registerImportOps(BenchRegistry& registry);
void registerSpeechOps(BenchRegistry& registry);
// Reads text aloud with Genie in the espeak-ng voice language into a WAV file at path; false when that failed.
bool writeSpeechWav(const QString& path, const QString& text, const char* language);
void registerStartupOps(BenchRegistry& registry);
void registerOcrOps(BenchRegistry& registry);
void registerClipOps(BenchRegistry& registry);
void registerMemoryOps(BenchRegistry& registry);

// The main window on the context's collection; the first call builds it and waits for its worker.
ListingWindow& listingWindowOf(BenchContext& context);
// Waits for the window's worker and brings the window back to its search list, when there is a window.
void settleWindow(BenchContext& context);
// A body search for typed, as a user types it into the window's field; its line tells the hits.
BenchOp typedSearchOp(const QString& name, const QString& typed);

// How long a bare handle waits for a commit of the window's worker before its read fails.
inline constexpr int kBareBusyMs = 10000;

// Prepares sql on handle, binds texts as UTF-8 in order, steps over every row touching every column without
// converting anything, and returns the number of rows.
qint64 bareStepAll(sqlite3* handle, const char* sql, const std::vector<QByteArray>& texts = {});
