#include "benchops.h"
#include "collectiongenerator.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "listingwindow.h"
#include "scrap/scrapregistration.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"

#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kSteps = 1000;
constexpr int kRegistrations = 1000;

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The rowids and body numbers of the first kSteps + 1 listed scraps, in list order.
std::vector<std::pair<qint64, qint64>> listedScraps(BenchContext& context)
{
    std::vector<std::pair<qint64, qint64>> scraps;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(context.bare, "SELECT rowid, pfID FROM MEMO_IDX ORDER BY LevNo, DocNo LIMIT ?", -1, &statement,
                       nullptr);
    sqlite3_bind_int(statement, 1, kSteps + 1);
    while (sqlite3_step(statement) == SQLITE_ROW)
        scraps.emplace_back(sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1));
    sqlite3_finalize(statement);
    return scraps;
}

// Record view stepping forward through the listing of every scrap: sheet, body and replayed marks.
std::vector<double> stepItems(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    // A smaller collection is stepped to its last scrap, as many steps as the bare reads take.
    const qint64 steps = std::min<qint64>(kSteps, listing.listRow(1) - 1);
    if (steps < 1)
        throw std::runtime_error("the collection has no second scrap to step to");
    listing.pressListRow(1);
    std::vector<double> times;
    QElapsedTimer timer;
    for (qint64 i = 0; i < steps; ++i) {
        timer.start();
        listing.press("nextMEMO");
        times.push_back(elapsedMs(timer));
    }
    listing.press("Back2Search");
    return times;
}

// The same rows read bare: the index row, the body and the marking log of each scrap.
std::vector<double> stepBareItems(BenchContext& context)
{
    std::vector<double> times;
    QElapsedTimer timer;
    const auto scraps = listedScraps(context);
    for (std::size_t i = 1; i < scraps.size(); ++i) {
        const QByteArray rowid = QByteArray::number(scraps[i].first);
        const QByteArray number = QByteArray::number(scraps[i].second);
        timer.start();
        bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX WHERE rowid = ?", {rowid});
        bareStepAll(context.bare, "SELECT pfID, a01 FROM MEMO_DAT WHERE pfID = ?", {number});
        bareStepAll(context.bare, "SELECT pfID, SelUNDER, StartP, SelLen FROM MEMO_UNDERLINE WHERE pfID = ?", {number});
        times.push_back(elapsedMs(timer));
    }
    return times;
}

const QString kBody =
    QStringLiteral("ベンチマークで登録する記事の本文です。\n二行目には少し長めの文章が続きます。").repeated(20);

// Registering is timed on a copy of the collection, so that the scraps it adds reach no other operation.
struct RegistrationCollection {
    QString path;
    std::unique_ptr<Connection> connection;
};

RegistrationCollection& registrationCollection(BenchContext& context)
{
    static RegistrationCollection collection;
    if (!collection.connection) {
        collection.path = context.path + QStringLiteral("-register.mdb");
        QFile::remove(collection.path);
        if (!QFile::copy(context.path, collection.path))
            throw std::runtime_error("cannot copy the collection for the registrations");
        collection.connection = OpenSharedConnection(collection.path);
    }
    return collection;
}

// Registering as the registration sheet does: numbers, index and body rows in one transaction.
std::vector<double> registerItems(BenchContext& context)
{
    RegistrationCollection& collection = registrationCollection(context);
    Session session;
    session.adoptDatabase(std::move(collection.connection), collection.path, QStringLiteral("register"),
                          DatabaseKind::Scrap);
    // As in the program, each registration writes the body index in its own transaction.
    BodyIndex::registerFunctions(*session.connection());
    IndexKeeper keeper(QString::fromLatin1(BodyIndex::kMainSchema), {});
    session.connection()->setTransactionObserver(&keeper);
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kRegistrations; ++i) {
        timer.start();
        ScrapIndex index;
        index.a01 = QStringLiteral("普通");
        index.a02 = QStringLiteral("ベンチマーク記事%1").arg(i);
        index.a03 = QStringLiteral("2026-12-07");
        index.a04 = context.firstMajorClass;
        index.backC = QStringLiteral("-2147483629");
        index.levNo = 2;
        if (!registerScrap(session, index, kBody, std::nullopt).ok())
            throw std::runtime_error("a registration failed during the benchmark");
        times.push_back(elapsedMs(timer));
    }
    session.connection()->setTransactionObserver(nullptr);
    session.closeResults();
    collection.connection = OpenSharedConnection(collection.path);
    return times;
}

void bareExec(sqlite3* handle, const char* sql)
{
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("bare write failed: ") + sqlite3_errmsg(handle));
}

// The same writes bare, on a handle of their own: counter, index row and body row in one transaction.
std::vector<double> registerBareItems(BenchContext& context)
{
    sqlite3* handle = nullptr;
    sqlite3_open_v2(registrationCollection(context).path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    bareExec(handle, "PRAGMA synchronous = FULL");
    const QByteArray body = kBody.toUtf8();
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kRegistrations; ++i) {
        timer.start();
        bareExec(handle, "BEGIN IMMEDIATE");
        bareExec(handle, "UPDATE IDno SET DocNo = DocNo + 1, pfID = pfID + 1");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(handle,
                           "INSERT INTO MEMO_IDX (a01, a02, a03, a04, a05, a06, a07, skID, pfID, backC, LevNo, DocNo) "
                           "SELECT '普通', 'bare', '2026-12-07', '', '', '', '', 0, pfID, '-2147483629', 2, DocNo "
                           "FROM IDno",
                           -1, &insert, nullptr);
        sqlite3_step(insert);
        sqlite3_finalize(insert);
        sqlite3_prepare_v2(handle, "INSERT INTO MEMO_DAT (pfID, a01) SELECT pfID, ? FROM IDno", -1, &insert, nullptr);
        sqlite3_bind_text(insert, 1, body.constData(), int(body.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_finalize(insert);
        bareExec(handle, "COMMIT");
        times.push_back(elapsedMs(timer));
    }
    sqlite3_close(handle);
    return times;
}

} // namespace

void registerRecordOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(QStringLiteral("step"), stepItems, stepBareItems));
    registry.push_back(itemsOp(QStringLiteral("register"), registerItems, registerBareItems, true));
}
