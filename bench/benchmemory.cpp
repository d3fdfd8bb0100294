// What the program holds rather than how long it takes: its resident memory with everything listed, and the size of
// the body index against the text it indexes.
#include "benchops.h"
#include "listingwindow.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <stdexcept>

namespace {

QString mb(double bytes)
{
    return QString::number(bytes / (1024.0 * 1024.0), 'f', 1);
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), as bytes.
double statusBytes(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read /proc/self/status");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(field + ':')))
            return line.mid(field.size() + 1).trimmed().split(' ').constFirst().toDouble() * 1024;
    }
    throw std::runtime_error("/proc/self/status has no " + field.toStdString());
}

// Every scrap listed, the last one shown in record view: the process's own resident size (the bench's handles are
// a few MB of it).
QString listMemory(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    const qint64 rows = listing.listRow(1);
    if (rows < 1)
        throw std::runtime_error("nothing is listed");
    listing.pressListRow(int(rows));
    QCoreApplication::processEvents();
    if (listing.window->mode() != MainWindow::Mode::RecordView)
        throw std::runtime_error("the last scrap is not shown");
    return QStringLiteral("rss_mb=%1 peak_rss_mb=%2 rows=%3")
        .arg(mb(statusBytes("VmRSS")), mb(statusBytes("VmHWM")), QString::number(rows));
}

// Pages of the file by what they hold, from SQLite's own page statistics, page by page: the sums of its aggregate
// mode overflow past 2 GB.
QString indexSize(BenchContext& context)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(context.bare,
                           "SELECT CASE WHEN name LIKE 'zettora_body_index%' THEN 'body_index' "
                           "WHEN name LIKE 'zettora_label_index%' THEN 'label_index' "
                           "WHEN name = 'MEMO_DAT' THEN 'bodies' ELSE 'other' END, sum(pgsize) "
                           "FROM dbstat GROUP BY 1",
                           -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw std::runtime_error(std::string("no page statistics: ") + sqlite3_errmsg(context.bare));
    }
    double bodies = 0, bodyIndex = 0, labelIndex = 0, other = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const QByteArray kind = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        const double bytes = sqlite3_column_double(statement, 1);
        (kind == "bodies"        ? bodies
         : kind == "body_index"  ? bodyIndex
         : kind == "label_index" ? labelIndex
                                 : other) = bytes;
    }
    sqlite3_finalize(statement);
    return QStringLiteral("file_mb=%1 bodies_mb=%2 body_index_mb=%3 label_index_mb=%4 other_mb=%5 index_to_text=%6")
        .arg(mb(double(QFileInfo(context.path).size())), mb(bodies), mb(bodyIndex), mb(labelIndex), mb(other),
             QString::number(bodies > 0 ? (bodyIndex + labelIndex) / bodies : 0, 'f', 2));
}

} // namespace

void registerMemoryOps(BenchRegistry& registry)
{
    registry.push_back(reportOp(QStringLiteral("index_size"), indexSize));
    registry.push_back(reportOp(QStringLiteral("list_memory"), listMemory));
}
