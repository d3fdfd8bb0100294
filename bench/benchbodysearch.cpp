#include "backup/backupstore.h"
#include "backup/backupworker.h"
#include "benchops.h"
#include "collectiongenerator.h"
#include "database/connection.h"
#include "database/query.h"
#include "database/resultset.h"
#include "listingwindow.h"
#include "mainwindow/scraplistcontroller.h"
#include "ocr/picturetext.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <limits>
#include <optional>
#include <stdexcept>

namespace {

QString kanji(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

// The words searched, with how many scraps the generated collection holds them in (checked before timing).
struct Words {
    QString typed;
    QStringList parts; // for the bare scan, each LIKE '%part%'
    qint64 fewest;
    qint64 most;
};

Words oneKanji()
{
    const QString w = kanji(BenchWords::kSingleFirst);
    return {w, {w}, 100, 1000};
}

Words twoKanji()
{
    const QString w = kanji(BenchWords::kPairFirst) + kanji(BenchWords::kPairFirst + 1);
    return {w, {w}, 100, 1000};
}

Words fourCharacters()
{
    const QString w = kanji(BenchWords::kFourFirst) + kanji(BenchWords::kFourFirst + 32) + QStringLiteral("計画");
    return {w, {w}, 10, 100};
}

Words twoWords()
{
    const QString district = kanji(BenchWords::kDistrictFirst) + kanji(BenchWords::kDistrictFirst + 1);
    const QString pair = kanji(BenchWords::kPairFirst + 2) + kanji(BenchWords::kPairFirst + 3);
    return {district + u' ' + pair, {district, pair}, 10, 100};
}

Words common()
{
    return {QStringLiteral("関係者"), {QStringLiteral("関係者")}, 10001, std::numeric_limits<qint64>::max()};
}

// From the Enter in the field until the list is filled and drawn; the window's worker has made and checked the index.
qint64 bodySearch(BenchContext& context, const QString& typed)
{
    ListingWindow& listing = listingWindowOf(context);
    // The toolbar is laid anew with each mode, and a field it dropped may linger until deleted.
    QLineEdit* field = nullptr;
    for (auto* candidate : listing.window->findChildren<QLineEdit*>(QStringLiteral("BodySearch"))) {
        if (candidate->isVisible())
            field = candidate;
    }
    if (!field)
        throw std::runtime_error("the search toolbar has no body search field");
    auto* list = listing.window->findChild<ScrapListController*>();
    if (!list)
        throw std::runtime_error("the window has no list");
    // What the list reports, not its count kept from an earlier listing: a text of no words searches nothing.
    std::optional<int> listed;
    const QMetaObject::Connection watch =
        QObject::connect(list, &ScrapListController::listed, [&listed](int count) { listed = count; });
    listing.dialogs.lastMessage.clear();
    field->setText(typed);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &enter);
    QCoreApplication::processEvents();
    QObject::disconnect(watch);
    if (!listed)
        throw std::runtime_error("no word to search for in: " + typed.toStdString());
    if (*listed < 0)
        throw std::runtime_error("the search could not be run: " + listing.dialogs.lastMessage.toStdString());
    return *listed;
}

// What a LIKE scan of every body finds: the searched words are in no title or keyword.
qint64 bareScan(BenchContext& context, const Words& words)
{
    QByteArray sql = "SELECT rowid FROM MEMO_DAT WHERE a01 LIKE ?";
    for (qsizetype i = 1; i < words.parts.size(); ++i)
        sql += " AND a01 LIKE ?";
    std::vector<QByteArray> patterns;
    for (const QString& part : words.parts)
        patterns.push_back((u'%' + part + u'%').toUtf8());
    return bareStepAll(context.bare, sql.constData(), patterns);
}

BenchOp searchOp(const QString& name, Words (*words)())
{
    return wholeOp(
        name, [words](BenchContext& context) { return bodySearch(context, words().typed); },
        [words, name](BenchContext& context) {
            const Words w = words();
            const qint64 found = bareScan(context, w);
            if (found < w.fewest || found > w.most)
                throw std::runtime_error("the collection holds its word in " + std::to_string(found) +
                                         " bodies where a generated one holds " + std::to_string(w.fewest) + " to " +
                                         std::to_string(w.most) + " (--search times words of your own)");
            return found;
        });
}

// The scraps body_search_common finds, listed by their rowids: what listing them costs without any search.
qint64 listCommonRows(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    static bool made = false;
    if (!made) {
        listing.session.connection()->execute(
            QStringLiteral("CREATE TEMP TABLE bench_common AS SELECT i.rowid AS id FROM MEMO_IDX i WHERE i.pfID IN "
                           "(SELECT pfID FROM MEMO_DAT WHERE a01 LIKE '%関係者%')"));
        made = true;
    }
    listing.window->runSearch(ResultSource::fromTable(
        QStringLiteral("MEMO_IDX"),
        QStringLiteral(" WHERE rowid IN (SELECT id FROM temp.bench_common) ORDER BY +LevNo, DocNo")));
    QCoreApplication::processEvents();
    return listing.window->resultCount();
}

constexpr int kPictureSearches = 9;

std::vector<double> timedSearches(BenchContext& context, const QString& typed)
{
    bodySearch(context, typed); // warm-up, as the whole operations have
    std::vector<double> times;
    for (int i = 0; i < kPictureSearches; ++i) {
        QElapsedTimer timer;
        timer.start();
        bodySearch(context, typed);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

// body_search_1 with text read from every picture of the collection (about 800 characters of news each, none of
// them the word), made for the operation and deleted after it; beside it, the same search without picture text.
std::vector<double> searchWithPictureText(BenchContext& context)
{
    Connection& connection = *listingWindowOf(context).session.connection();
    QString text;
    while (text.size() < 800)
        text += QStringLiteral("政府は来年度の予算案を閣議決定した。関係者によると、地方への交付金を増やす見通しだ。");
    PictureText::ensureTables(connection);
    Query fill(connection, QStringLiteral("INSERT OR REPLACE INTO zettora_picture_text (skID, size, engine, text, "
                                          "words) SELECT skID, length(a02), 'bench', ?, '' FROM PHOTO_DRA"));
    fill.bind(1, text).run();
    // Taken into the index as the program's worker takes each picture's text.
    const QString schema = QString::fromLatin1(BodyIndex::kMainSchema);
    if (!BodyIndex::catchUpAll(connection, schema, {}, {}))
        throw std::runtime_error("the picture text was not indexed");
    std::vector<double> times = timedSearches(context, oneKanji().typed);
    connection.execute(QStringLiteral("DELETE FROM zettora_picture_text"));
    if (!BodyIndex::catchUpAll(connection, schema, {}, {}))
        throw std::runtime_error("the picture text was not taken out of the index");
    return times;
}

std::vector<double> searchWithoutPictureText(BenchContext& context)
{
    Connection& connection = *listingWindowOf(context).session.connection();
    if (connection.hasTable(QStringLiteral("zettora_picture_text"))) {
        Query rows(connection, QStringLiteral("SELECT count(*) FROM zettora_picture_text"));
        if (rows.next() && rows.integer(0) > 0)
            throw std::runtime_error("the collection has picture text already");
    }
    return timedSearches(context, oneKanji().typed);
}

// Making the whole index anew on the generated collection; beside it, reading every body once.
std::vector<double> indexBuild(BenchContext& context)
{
    BodyIndex::registerFunctions(*context.connection);
    QElapsedTimer timer;
    timer.start();
    if (!BodyIndex::rebuild(*context.connection, QString::fromLatin1(BodyIndex::kMainSchema), QString(), {}, {}))
        throw std::runtime_error("the body index was not made");
    return {double(timer.nsecsElapsed()) / 1e6};
}

// A verified backup of the whole collection, as the program makes it on opening; beside it, copying the file.
std::vector<double> backupItems(BenchContext& context)
{
    QTemporaryDir folder;
    QElapsedTimer timer;
    timer.start();
    const Result<QString> made = Backups::make(context.path, folder.path());
    if (!made)
        throw std::runtime_error("the backup failed: " + made.failure().detail.toStdString());
    return {double(timer.nsecsElapsed()) / 1e6};
}

std::vector<double> copyFile(BenchContext& context)
{
    QTemporaryDir folder;
    QElapsedTimer timer;
    timer.start();
    QFile::copy(context.path, folder.filePath(QStringLiteral("copy.mdb")));
    return {double(timer.nsecsElapsed()) / 1e6};
}

// The longest the window's event loop waits between two turns while a backup is made beside it, as on opening.
double longestStall(const std::function<bool()>& busy)
{
    QEventLoop loop;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (!busy())
            loop.quit();
    });
    clock.start();
    ticks.start();
    loop.exec();
    return double(longest) / 1e6;
}

// How long the last backup and the last check beside the loop took, so that the loop alone runs as long: on a busy
// machine the longest wait grows with the time watched.
qint64 g_backupMs = 1200;
qint64 g_checkMs = 1200;

std::vector<double> backupStall(BenchContext& context)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    BackupWorker worker;
    QElapsedTimer took;
    took.start();
    worker.start(context.path);
    const double stall = longestStall([&worker] { return worker.isRunning(); });
    g_backupMs = took.elapsed();
    worker.wait();
    qunsetenv("XDG_DATA_HOME");
    return {stall};
}

// The same loop for as long as the backup took, with nothing beside it.
std::vector<double> idleStall(BenchContext&)
{
    QElapsedTimer clock;
    clock.start();
    return {longestStall([&clock] { return clock.elapsed() < g_backupMs; })};
}

// The check of the whole file made before a collection is written to, as the worker runs it on a connection of its
// own.
std::vector<double> quickCheck(BenchContext& context)
{
    QElapsedTimer timer;
    timer.start();
    auto connection = Connection::openExisting(context.path);
    Query check(*connection, QStringLiteral("PRAGMA main.integrity_check(1)"));
    if (!check.next() || check.text(0) != QLatin1StringView("ok"))
        throw std::runtime_error("the collection is damaged");
    return {double(timer.nsecsElapsed()) / 1e6};
}

// The longest wait of the event loop while the worker checks the file on opening; nothing is written.
std::vector<double> checkStall(BenchContext& context)
{
    BodyIndexer indexer;
    BodyIndexer::Job job;
    job.path = context.path;
    job.schema = QString::fromLatin1(BodyIndex::kMainSchema);
    job.readOnly = true;
    QElapsedTimer took;
    took.start();
    indexer.start(job);
    const double stall = longestStall([&indexer] { return !indexer.isFileChecked(); });
    g_checkMs = took.elapsed();
    indexer.stop();
    return {stall};
}

// The same loop for as long as the check took, with nothing beside it.
std::vector<double> idleForCheck(BenchContext&)
{
    QElapsedTimer clock;
    clock.start();
    return {longestStall([&clock] { return clock.elapsed() < g_checkMs; })};
}

std::vector<double> readAllBodies(BenchContext& context)
{
    QElapsedTimer timer;
    timer.start();
    bareStepAll(context.bare, "SELECT a01 FROM MEMO_DAT");
    return {double(timer.nsecsElapsed()) / 1e6};
}

} // namespace

BenchOp typedSearchOp(const QString& name, const QString& typed)
{
    return wholeOp(name, [typed](BenchContext& context) { return bodySearch(context, typed); }, {});
}

void registerBodySearchOps(BenchRegistry& registry)
{
    registry.push_back(searchOp(QStringLiteral("body_search_1"), oneKanji));
    registry.push_back(searchOp(QStringLiteral("body_search_2"), twoKanji));
    registry.push_back(searchOp(QStringLiteral("body_search_3"), fourCharacters));
    registry.push_back(searchOp(QStringLiteral("body_search_and"), twoWords));
    registry.push_back(searchOp(QStringLiteral("body_search_common"), common));
    registry.push_back(
        itemsOp(QStringLiteral("body_search_pictures"), searchWithPictureText, searchWithoutPictureText, true));
    registry.push_back(wholeOp(QStringLiteral("list_common_rows"), listCommonRows,
                               [](BenchContext& context) { return bareScan(context, common()); }));
    registry.push_back(itemsOp(QStringLiteral("index_build"), indexBuild, readAllBodies, true));
    registry.push_back(itemsOp(QStringLiteral("backup"), backupItems, copyFile));
    registry.push_back(itemsOp(QStringLiteral("backup_stall"), backupStall, idleStall));
    registry.push_back(itemsOp(QStringLiteral("quick_check"), quickCheck, copyFile));
    registry.push_back(itemsOp(QStringLiteral("check_stall"), checkStall, idleForCheck));
}
