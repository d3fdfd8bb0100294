#include "runnertest.h"

#include "benchrunner.h"
#include "database/connection.h"

#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

using Timings = std::vector<double>;
using MaybeMs = std::optional<double>;
Q_DECLARE_METATYPE(Timings)
Q_DECLARE_METATYPE(MaybeMs)
Q_DECLARE_METATYPE(BenchOp)

void RunnerTest::median_ofTimings_data()
{
    QTest::addColumn<Timings>("times");
    QTest::addColumn<MaybeMs>("expected");
    QTest::newRow("none") << Timings{} << MaybeMs{};
    QTest::newRow("one") << Timings{4.5} << MaybeMs{4.5};
    QTest::newRow("odd count, unsorted") << Timings{9, 1, 5} << MaybeMs{5};
    QTest::newRow("even count: mean of the middle two") << Timings{8, 2, 4, 6} << MaybeMs{5};
}

void RunnerTest::median_ofTimings()
{
    QFETCH(Timings, times);
    QFETCH(MaybeMs, expected);
    QCOMPARE(median(times), expected);
}

void RunnerTest::failingOperation_toldByNameWhileOthersRun_data()
{
    QTest::addColumn<BenchOp>("middle");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("failed");
    const auto fine = [](BenchContext&) { return qint64(3); };
    const auto throwing = [](BenchContext&) -> qint64 { throw std::runtime_error("the list was not written"); };
    const auto none = [](BenchContext&) { return Timings{}; };
    const auto some = [](BenchContext&) { return Timings{1, 2, 3}; };
    QTest::newRow("run throws") << wholeOp(u"middle"_s, throwing, fine)
                                << u"op=middle failed=the list was not written"_s << true;
    QTest::newRow("bare read throws") << wholeOp(u"middle"_s, fine, throwing)
                                      << u"op=middle failed=the list was not written"_s << true;
    QTest::newRow("state cannot be made")
        << wholeOp(u"middle"_s, fine, fine,
                   [](BenchContext&) { throw std::runtime_error("the window's worker did not finish"); })
        << u"op=middle failed=the window's worker did not finish"_s << true;
    QTest::newRow("no timings") << itemsOp(u"middle"_s, none, some) << u"op=middle failed=no timings"_s << true;
    QTest::newRow("no bare timings") << itemsOp(u"middle"_s, some, none)
                                     << u"op=middle failed=the bare reading gave no timings"_s << true;
    QTest::newRow("report throws") << reportOp(u"middle"_s,
                                               [](BenchContext&) -> QString {
                                                   throw std::runtime_error("nothing is listed");
                                               })
                                   << u"op=middle failed=nothing is listed"_s << true;
    QTest::newRow("writes, on a user's file")
        << itemsOp(u"middle"_s, some, some, true) << u"op=middle skipped="_s << false;
}

void RunnerTest::failingOperation_toldByNameWhileOthersRun()
{
    QFETCH(BenchOp, middle);
    QFETCH(QString, problem);
    QFETCH(bool, failed);
    const auto hits = [](BenchContext&) { return qint64(7); };
    const BenchRegistry operations{wholeOp(u"before"_s, hits, hits), middle, wholeOp(u"after"_s, hits, {})};
    BenchContext context;
    QStringList figures, problems;
    const QStringList failures = measureAll(
        operations, context, 3,
        {[&figures](const QString& line) { figures << line; }, [&problems](const QString& line) { problems << line; }});

    QCOMPARE(failures, failed ? QStringList{u"middle"_s} : QStringList{});
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.constFirst().startsWith(problem), qPrintable(problems.constFirst()));
    QCOMPARE(figures.size(), 2);
    QVERIFY2(figures[0].startsWith(u"op=before median_ms="_s) && figures[0].contains(u" ratio="_s),
             qPrintable(figures[0]));
    // An operation without a bare read tells its hits.
    QVERIFY2(figures[1].startsWith(u"op=after median_ms="_s) && figures[1].contains(u" hits=7"_s),
             qPrintable(figures[1]));
}
