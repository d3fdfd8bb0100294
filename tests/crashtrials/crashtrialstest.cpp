#include "crashtrialstest.h"

#include "database/connection.h"
#include "database/creation.h"
#include "database/scrapsources.h"
#include "legacyimport/legacyimport.h"
#include "search/bodyindex.h"
#include "sources/pagecopy.h"
#include "testcollection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRunLimitMs = 240000; // far above 30 sanitized trials; past it, a hang

struct Run {
    int exitCode = -1;
    QString output;
    QString errors;
};

Run crashTrials(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZETTORA_CRASHTRIALS), arguments);
    Run run;
    if (!process.waitForFinished(kRunLimitMs)) {
        process.kill();
        process.waitForFinished();
        run.errors = u"no end within the limit"_s;
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    run.errors += QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The smallest old collection: converting it takes no time even sanitized.
QString oldCollection()
{
    return qEnvironmentVariable("ZETTORA_SAMPLES") + u"/empty-new.mdb"_s;
}

// One class, two scraps with their bodies, a mark and a picture, the counters at the numbers in use, and when asked
// the body index caught up.
QString wholeCollection(const TestFolder& folder, bool indexed)
{
    const QString path = folder.newCollection();
    auto connection = Connection::openExisting(path);
    addClass(*connection, 1, u"政治"_s, 2);
    TestScrap scrap = numberedScrap(1, 2, {u"政治"_s});
    scrap.skID = 1;
    addScrap(*connection, scrap);
    addScrap(*connection, numberedScrap(2, 2, {u"政治"_s}));
    addBody(*connection, 1, u"本文の一行目"_s);
    addBody(*connection, 2, u"二つ目の記事の本文"_s);
    addMark(*connection, 1, false, 0, 2);
    connection->execute(u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (1, '写真', x'FFD8FFD9')"_s);
    connection->execute(u"UPDATE IDno SET DocNo = 2, pfID = 2, skID = 1"_s);
    const auto copy = PageCopy::compressFile(
        folder.writeFile(u"page.mhtml"_s, "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=b\r\n\r\n"
                                          "--b\r\nContent-Type: text/html\r\n\r\n<p>記事</p>\r\n--b--\r\n"),
        1 << 20);
    if (!copy)
        qFatal("the page copy was refused");
    QFile::remove(folder.path(u"page.mhtml"_s));
    ScrapSources::save(*connection, 1,
                       {u"https://news.example.jp/1"_s, u"記事"_s, QDateTime::currentDateTime(), *copy});
    if (!indexed)
        return path;
    const QString main = QString::fromLatin1(BodyIndex::kMainSchema);
    BodyIndex::registerFunctions(*connection);
    BodyIndex::reset(*connection, main, QString());
    if (!BodyIndex::catchUpAll(*connection, main, {}, {}))
        qFatal("the body index did not catch up");
    return path;
}

// What a trial may leave beside its collection, in the folders the worker writes to.
enum class Beside { Converted, ConvertedLessARow, NewCollection, CutCollection, Junk };
struct BesideFile {
    QString name; // relative to the collection's folder
    Beside what;
};

void placeBeside(const TestFolder& folder, const BesideFile& file)
{
    const QString path = folder.path(file.name);
    QDir().mkpath(QFileInfo(path).path());
    switch (file.what) {
    case Beside::Converted:
        LegacyImport::convert(oldCollection(), path);
        break;
    case Beside::ConvertedLessARow:
        LegacyImport::convert(oldCollection(), path);
        alterCollection(path, u"DELETE FROM extraNodeWEB WHERE rowid = (SELECT max(rowid) FROM extraNodeWEB)"_s);
        break;
    case Beside::NewCollection:
        createScrapDatabaseFile(path);
        break;
    case Beside::CutCollection: {
        createScrapDatabaseFile(path);
        QFile cut(path);
        cut.resize(cut.size() / 2);
        break;
    }
    case Beside::Junk:
        folder.writeFile(file.name, "half a page");
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(BesideFile)

void CrashTrialsTest::killedWorkers_neverLeaveABrokenCollection()
{
    const Run run = crashTrials({u"--trials"_s, u"30"_s, u"--scraps"_s, u"40"_s, u"--max-delay"_s, u"150"_s});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY2(run.output.startsWith(u"trials=30 damaged=0 broken_invariants=0 "_s), qPrintable(run.output));
}

void CrashTrialsTest::check_findsWhatABrokenWriteLeaves_data()
{
    QTest::addColumn<bool>("indexed"); // the body index made and caught up first
    QTest::addColumn<QStringList>("breakage");
    QTest::addColumn<bool>("cut"); // the file loses its second half
    QTest::addColumn<QList<BesideFile>>("beside");
    QTest::addColumn<QString>("verdict");
    const auto broken = [](const char* name, const QStringList& breakage, const QString& verdict,
                           bool indexed = false) {
        QTest::newRow(name) << indexed << breakage << false << QList<BesideFile>() << verdict;
    };
    const auto beside = [](const char* name, const QList<BesideFile>& files, const QString& verdict) {
        QTest::newRow(name) << false << QStringList() << false << files << verdict;
    };

    broken("whole", {}, u"damaged=0 broken_invariants=0 left_behind=0"_s, true);
    broken("bodies lost", {u"DELETE FROM MEMO_DAT"_s}, u"damaged=0 broken_invariants=2"_s);     // and their mark
    broken("index rows lost", {u"DELETE FROM MEMO_IDX"_s}, u"damaged=0 broken_invariants=2"_s); // and a source
    broken("mark left over", {u"INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (7, 0, 0, 1)"_s},
           u"damaged=0 broken_invariants=1"_s);
    broken("mark past the body's end",
           {u"INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (1, 0, 4, 3)"_s},
           u"damaged=0 broken_invariants=1"_s);
    broken("picture set emptied", {u"DELETE FROM PHOTO_DRA"_s}, u"damaged=0 broken_invariants=1"_s);
    broken("class gone", {u"DELETE FROM extraNodeMEMO"_s}, u"damaged=0 broken_invariants=1"_s);
    broken("counters behind", {u"UPDATE IDno SET DocNo = 0, pfID = 0, skID = 0"_s}, u"damaged=0 broken_invariants=1"_s);
    broken("counter row lost", {u"DELETE FROM IDno"_s}, u"damaged=0 broken_invariants=1"_s);
    broken("numbers twice, settings rows wrong",
           {u"UPDATE MEMO_IDX SET DocNo = 1, pfID = 1, skID = 1"_s, u"DELETE FROM MEMO_DAT WHERE pfID = 2"_s,
            u"DELETE FROM Status"_s, u"INSERT INTO FontSize SELECT * FROM FontSize"_s,
            u"UPDATE extraNodeWEB SET ndID = 1"_s},
           u"damaged=0 broken_invariants=6"_s);
    const QStringList changes{u"UPDATE MEMO_DAT SET a01 = '書き換えた本文' WHERE pfID = 1"_s,
                              u"UPDATE MEMO_IDX SET a07 = '別の見出し語' WHERE DocNo = 2"_s};
    broken("body and keyword changed, changes logged", changes, u"damaged=0 broken_invariants=0"_s, true);
    broken("body and keyword changed, log and a trigger lost",
           changes + QStringList{u"DELETE FROM zettora_index_log"_s, u"DROP TRIGGER zettora_body_changing"_s},
           u"damaged=0 broken_invariants=3"_s, true);
    broken("index log lost", {u"DROP TABLE zettora_index_log"_s}, u"damaged=0 broken_invariants=2"_s,
           true); // and the index with it
    broken("source left without its scrap, its page copy cut",
           {u"UPDATE zettora_sources SET DocNo = 9, pageCopy = substr(pageCopy, 1, length(pageCopy) / 2)"_s},
           u"damaged=0 broken_invariants=2"_s);
    broken(
        "picture text left without its picture",
        {u"CREATE TABLE zettora_picture_text (skID INTEGER NOT NULL, size INTEGER NOT NULL, engine TEXT NOT NULL, "
         "text TEXT NOT NULL, words TEXT NOT NULL, problem TEXT, PRIMARY KEY (skID, size))"_s,
         u"INSERT INTO zettora_picture_text VALUES (1, 4, 'e', '写真の字', '', NULL), (1, 9, 'e', '前の写真', '', NULL)"_s},
        u"damaged=0 broken_invariants=1"_s);
    const QString read = u"INSERT INTO zettora_picture_text VALUES (1, 4, 'e', '写真の字', '', NULL)"_s;
    broken("picture text read, logged for the index", {read}, u"damaged=0 broken_invariants=0"_s, true);
    broken("picture text read, its log lost", {read, u"DELETE FROM zettora_index_log WHERE kind = 2"_s},
           u"damaged=0 broken_invariants=1"_s, true);
    broken("source address a script", {u"UPDATE zettora_sources SET address = ' JavaScript:alert(1)'"_s},
           u"damaged=0 broken_invariants=1"_s);
    QTest::newRow("file cut") << false << QStringList() << true << QList<BesideFile>() << u"damaged=1"_s;

    // Without an index yet, as the import leaves a collection.
    beside("targets whole, partials the program removes",
           {{u"import/converted.mdb"_s, Beside::Converted},
            {u"import/converted.mdb.partial"_s, Beside::Junk},
            {u"created/new.mdb"_s, Beside::NewCollection},
            {u"created/.zettora-creating-5f"_s, Beside::Junk},
            {u"editions/edition.mdb.partial"_s, Beside::Junk},
            {u"backups/20260105-090000-000.mdb.partial"_s, Beside::Junk}},
           u"damaged=0 broken_invariants=0 left_behind=0"_s);
    beside("import incomplete, files nothing removes",
           {{u"import/converted.mdb"_s, Beside::ConvertedLessARow},
            {u"editions/edition.mdb.tmp"_s, Beside::Junk},
            {u"Zettora.mdb.tmp"_s, Beside::Junk}},
           u"damaged=0 broken_invariants=1 left_behind=2"_s);
    beside("copies cut",
           {{u"backups/20260105-090000-000.mdb"_s, Beside::CutCollection},
            {u"Zettora（復元 2026-01-05 0900）.mdb"_s, Beside::CutCollection},
            {u"created/new.mdb"_s, Beside::CutCollection}},
           u"damaged=3 broken_invariants=0 left_behind=0"_s);
}

void CrashTrialsTest::check_findsWhatABrokenWriteLeaves()
{
    QFETCH(bool, indexed);
    QFETCH(QStringList, breakage);
    QFETCH(bool, cut);
    QFETCH(QList<BesideFile>, beside);
    QFETCH(QString, verdict);
    TestFolder folder;
    const QString path = wholeCollection(folder, indexed);
    for (const QString& sql : breakage)
        alterCollection(path, sql);
    if (cut) {
        QFile file(path);
        QVERIFY(file.resize(file.size() / 2));
    }
    for (const BesideFile& file : beside)
        placeBeside(folder, file);

    const Run run = crashTrials({u"--check"_s, path, u"--legacy"_s, oldCollection()});
    QVERIFY2(run.output.startsWith(u"checked=1 "_s + verdict), qPrintable(run.output + u'\n' + run.errors));
    QCOMPARE(run.exitCode, verdict.startsWith(u"damaged=0 broken_invariants=0"_s) ? 0 : 1);
}
