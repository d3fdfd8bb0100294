#include "crashtrialstest.h"

#include "database/connection.h"
#include "search/bodyindex.h"
#include "testcollection.h"

#include <QFile>
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

// One class, one scrap with its body, a mark and a picture, the counters at the numbers in use, and the body index.
QString wholeCollection(const TestFolder& folder)
{
    const QString path = folder.newCollection();
    auto connection = Connection::openExisting(path);
    addClass(*connection, 1, u"政治"_s, 2);
    TestScrap scrap = numberedScrap(1, 2, {u"政治"_s});
    scrap.skID = 1;
    addScrap(*connection, scrap);
    addBody(*connection, 1, u"本文の一行目"_s);
    addMark(*connection, 1, false, 0, 2);
    connection->execute(u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (1, '写真', x'FFD8FFD9')"_s);
    connection->execute(u"UPDATE IDno SET DocNo = 1, pfID = 1, skID = 1"_s);
    BodyIndex::registerFunctions(*connection);
    BodyIndex::reset(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString());
    return path;
}

} // namespace

void CrashTrialsTest::killedWorkers_neverLeaveABrokenCollection()
{
    const Run run = crashTrials({u"--trials"_s, u"30"_s, u"--scraps"_s, u"60"_s, u"--max-delay"_s, u"250"_s});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(run.output, u"trials=30 damaged=0 broken_invariants=0"_s);
}

void CrashTrialsTest::check_findsWhatABrokenWriteLeaves_data()
{
    QTest::addColumn<QStringList>("breakage");
    QTest::addColumn<bool>("cut"); // the file loses its second half
    QTest::addColumn<QString>("verdict");

    QTest::newRow("whole") << QStringList() << false << u"damaged=0 broken_invariants=0"_s;
    QTest::newRow("body lost") << QStringList{u"DELETE FROM MEMO_DAT"_s} << false
                               << u"damaged=0 broken_invariants=2"_s; // and its mark
    QTest::newRow("index row lost") << QStringList{u"DELETE FROM MEMO_IDX"_s} << false
                                    << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("mark left over")
        << QStringList{u"INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (7, 0, 0, 1)"_s} << false
        << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("picture set emptied") << QStringList{u"DELETE FROM PHOTO_DRA"_s} << false
                                         << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("class gone") << QStringList{u"DELETE FROM extraNodeMEMO"_s} << false
                                << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("counters behind") << QStringList{u"UPDATE IDno SET DocNo = 0, pfID = 0, skID = 0"_s} << false
                                     << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("counter row lost") << QStringList{u"DELETE FROM IDno"_s} << false
                                      << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("index log lost") << QStringList{u"DROP TABLE zettora_index_log"_s} << false
                                    << u"damaged=0 broken_invariants=1"_s;
    QTest::newRow("file cut") << QStringList() << true << u"damaged=1"_s;
}

void CrashTrialsTest::check_findsWhatABrokenWriteLeaves()
{
    QFETCH(QStringList, breakage);
    QFETCH(bool, cut);
    QFETCH(QString, verdict);
    TestFolder folder;
    const QString path = wholeCollection(folder);
    for (const QString& sql : breakage)
        alterCollection(path, sql);
    if (cut) {
        QFile file(path);
        QVERIFY(file.resize(file.size() / 2));
    }

    const Run run = crashTrials({u"--check"_s, path});
    QVERIFY2(run.output.startsWith(u"checked=1 "_s + verdict), qPrintable(run.output + u'\n' + run.errors));
    QCOMPARE(run.exitCode, verdict == u"damaged=0 broken_invariants=0"_s ? 0 : 1);
}
