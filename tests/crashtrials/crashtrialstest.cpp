#include "crashtrialstest.h"

#include "database/connection.h"
#include "database/creation.h"
#include "legacyimport/legacyimport.h"
#include "search/bodyindex.h"
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

QString legacySample()
{
    return qEnvironmentVariable("ZETTORA_SAMPLES") + u"/collection-small.mdb"_s;
}

// One class, two scraps with their bodies, a mark and a picture, the counters at the numbers in use, and the body
// index caught up.
QString wholeCollection(const TestFolder& folder)
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
    const QString main = QString::fromLatin1(BodyIndex::kMainSchema);
    BodyIndex::registerFunctions(*connection);
    BodyIndex::reset(*connection, main, QString());
    BodyIndex::catchUpAll(*connection, main, {}, {});
    return path;
}

// What a trial may leave beside its collection, in the folders the worker writes to.
enum class Beside { Nothing, Converted, NewCollection, CutCollection, Junk };
struct BesideFile {
    QString name; // relative to the collection's folder
    Beside what;
};

void placeBeside(const TestFolder& folder, const BesideFile& file)
{
    const QString path = folder.path(file.name);
    QDir().mkpath(QFileInfo(path).path());
    switch (file.what) {
    case Beside::Nothing:
        break;
    case Beside::Converted:
        LegacyImport::convert(legacySample(), path);
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
    const Run run = crashTrials({u"--trials"_s, u"30"_s, u"--scraps"_s, u"60"_s, u"--max-delay"_s, u"250"_s});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY2(run.output.startsWith(u"trials=30 damaged=0 broken_invariants=0 "_s), qPrintable(run.output));
}

void CrashTrialsTest::check_findsWhatABrokenWriteLeaves_data()
{
    QTest::addColumn<QStringList>("breakage");
    QTest::addColumn<bool>("cut"); // the file loses its second half
    QTest::addColumn<BesideFile>("beside");
    QTest::addColumn<QString>("verdict");

    const BesideFile none{{}, Beside::Nothing};
    QTest::newRow("whole") << QStringList() << false << none << u"damaged=0 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("bodies lost") << QStringList{u"DELETE FROM MEMO_DAT"_s} << false << none
                                 << u"damaged=0 broken_invariants=2"_s; // and their mark
    QTest::newRow("index rows lost") << QStringList{u"DELETE FROM MEMO_IDX"_s} << false << none
                                     << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("mark left over")
        << QStringList{u"INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (7, 0, 0, 1)"_s} << false
        << none << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("mark past the body's end")
        << QStringList{u"INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (1, 0, 4, 3)"_s} << false
        << none << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("picture set emptied") << QStringList{u"DELETE FROM PHOTO_DRA"_s} << false << none
                                         << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("class gone") << QStringList{u"DELETE FROM extraNodeMEMO"_s} << false << none
                                << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("counters behind") << QStringList{u"UPDATE IDno SET DocNo = 0, pfID = 0, skID = 0"_s} << false << none
                                     << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("counter row lost") << QStringList{u"DELETE FROM IDno"_s} << false << none
                                      << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("DocNo twice") << QStringList{u"UPDATE MEMO_IDX SET DocNo = 1"_s} << false << none
                                 << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("pfID twice") << QStringList{u"UPDATE MEMO_IDX SET pfID = 1"_s,
                                               u"DELETE FROM MEMO_DAT WHERE pfID = 2"_s}
                                << false << none << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("skID twice") << QStringList{u"UPDATE MEMO_IDX SET skID = 1"_s} << false << none
                                << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("favourite number twice")
        << QStringList{u"UPDATE extraNodeWEB SET ndID = 1"_s} << false << none << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("levels lost") << QStringList{u"DELETE FROM Status"_s} << false << none
                                 << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("font row twice") << QStringList{u"INSERT INTO FontSize SELECT * FROM FontSize"_s} << false << none
                                    << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("body changed, change logged")
        << QStringList{u"UPDATE MEMO_DAT SET a01 = '書き換えた本文' WHERE pfID = 1"_s} << false << none
        << u"damaged=0 broken_invariants=0"_s;
    QTest::newRow("body changed, log lost")
        << QStringList{u"UPDATE MEMO_DAT SET a01 = '書き換えた本文' WHERE pfID = 1"_s,
                       u"DELETE FROM zettora_index_log"_s}
        << false << none << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("keyword changed, log lost")
        << QStringList{u"UPDATE MEMO_IDX SET a07 = '別の見出し語' WHERE DocNo = 2"_s,
                       u"DELETE FROM zettora_index_log"_s}
        << false << none << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("index trigger lost") << QStringList{u"DROP TRIGGER zettora_body_changing"_s} << false << none
                                        << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("index log lost") << QStringList{u"DROP TABLE zettora_index_log"_s} << false << none
                                    << u"damaged=0 broken_invariants=2"_s; // and the index with it
    QTest::newRow("file cut") << QStringList() << true << none << u"damaged=1"_s;

    QTest::newRow("import whole") << QStringList() << false << BesideFile{u"import/converted.mdb"_s, Beside::Converted}
                                  << u"damaged=0 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("import incomplete") << QStringList() << false
                                       << BesideFile{u"import/converted.mdb"_s, Beside::NewCollection}
                                       << u"damaged=0 broken_invariants=1 left_behind=0"_s;
    QTest::newRow("import cut") << QStringList() << false
                                << BesideFile{u"import/converted.mdb"_s, Beside::CutCollection}
                                << u"damaged=1 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("import partial, which the next import removes")
        << QStringList() << false << BesideFile{u"import/converted.mdb.partial"_s, Beside::Junk}
        << u"damaged=0 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("collection created") << QStringList() << false
                                        << BesideFile{u"created/new.mdb"_s, Beside::NewCollection}
                                        << u"damaged=0 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("creation's partial, which nothing removes")
        << QStringList() << false << BesideFile{u"created/.zettora-creating-5f"_s, Beside::Junk}
        << u"damaged=0 broken_invariants=0 left_behind=1"_s;
    QTest::newRow("backup cut") << QStringList() << false
                                << BesideFile{u"backups/20260105-090000-000.mdb"_s, Beside::CutCollection}
                                << u"damaged=1 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("restored copy cut") << QStringList() << false
                                       << BesideFile{u"Zettora（復元 2026-01-05 0900）.mdb"_s, Beside::CutCollection}
                                       << u"damaged=1 broken_invariants=0 left_behind=0"_s;
    QTest::newRow("stray file beside the collection")
        << QStringList() << false << BesideFile{u"Zettora.mdb.tmp"_s, Beside::Junk}
        << u"damaged=0 broken_invariants=0 left_behind=1"_s;
}

void CrashTrialsTest::check_findsWhatABrokenWriteLeaves()
{
    QFETCH(QStringList, breakage);
    QFETCH(bool, cut);
    QFETCH(BesideFile, beside);
    QFETCH(QString, verdict);
    TestFolder folder;
    const QString path = wholeCollection(folder);
    for (const QString& sql : breakage)
        alterCollection(path, sql);
    if (cut) {
        QFile file(path);
        QVERIFY(file.resize(file.size() / 2));
    }
    placeBeside(folder, beside);

    const Run run = crashTrials({u"--check"_s, path, u"--legacy"_s, legacySample()});
    QVERIFY2(run.output.startsWith(u"checked=1 "_s + verdict), qPrintable(run.output + u'\n' + run.errors));
    QCOMPARE(run.exitCode, verdict.startsWith(u"damaged=0 broken_invariants=0"_s) ? 0 : 1);
}
