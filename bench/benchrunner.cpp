#include "benchrunner.h"

#include <QElapsedTimer>

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace {

// QString::number ignores the locale, so the decimal point stays a point whatever LC_NUMERIC says.
QString ms(double value)
{
    return QString::number(value, 'f', 2);
}

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

QString figuresLine(const QString& name, const std::vector<double>& times, const std::vector<double>& bareTimes)
{
    const std::optional<double> m = median(times);
    const std::optional<double> bare = median(bareTimes);
    if (!m || !bare)
        throw std::runtime_error(m ? "the bare reading gave no timings" : "no timings");
    return QStringLiteral("op=%1 median_ms=%2 min_ms=%3 max_ms=%4 bare_ms=%5 ratio=%6")
        .arg(name, ms(*m), ms(*std::min_element(times.begin(), times.end())),
             ms(*std::max_element(times.begin(), times.end())), ms(*bare),
             *bare > 0 ? ms(*m / *bare) : QStringLiteral("inf"));
}

QString hitsLine(const QString& name, const std::vector<double>& times, qint64 hits, const QString& countName)
{
    const std::optional<double> m = median(times);
    if (!m)
        throw std::runtime_error("no timings");
    return QStringLiteral("op=%1 median_ms=%2 %3=%4 min_ms=%5 max_ms=%6")
        .arg(name, ms(*m), countName, QString::number(hits), ms(*std::min_element(times.begin(), times.end())),
             ms(*std::max_element(times.begin(), times.end())));
}

// One warm-up of each, not counted; then the two are interleaved so that drift in the machine hits both alike.
QString measure(const BenchOp& op, BenchContext& context, int runs, const BenchOutput& output)
{
    if (op.prepare)
        op.prepare(context);
    if (op.report)
        return QStringLiteral("op=%1 %2").arg(op.name, op.report(context));
    if (op.runItems) {
        const std::vector<double> times = op.runItems(context);
        return figuresLine(op.name, times, op.bareItems(context));
    }
    const qint64 got = op.run(context);
    if (op.bare) {
        if (const qint64 expected = op.bare(context); got != expected)
            output.problems(
                QStringLiteral("warning: %1 gave %2 where the bare read gave %3").arg(op.name).arg(got).arg(expected));
    }
    std::vector<double> times, bareTimes;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        op.run(context);
        times.push_back(elapsedMs(timer));
        if (op.bare) {
            timer.start();
            op.bare(context);
            bareTimes.push_back(elapsedMs(timer));
        }
    }
    return op.bare ? figuresLine(op.name, times, bareTimes) : hitsLine(op.name, times, got, op.countName);
}

} // namespace

std::optional<double> median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QStringList measureAll(const BenchRegistry& operations, BenchContext& context, int runs, const BenchOutput& output)
{
    QStringList failed;
    for (const BenchOp& op : operations) {
        if (op.writes && !context.writable) {
            output.problems(
                QStringLiteral("op=%1 skipped=it writes, so it runs only on a generated collection").arg(op.name));
            continue;
        }
        QString why;
        try {
            if (context.beforeEachOp)
                context.beforeEachOp(context);
            output.figures(measure(op, context, runs, output));
            continue;
        } catch (const std::exception& e) {
            why = QString::fromUtf8(e.what());
        } catch (...) {
            why = QStringLiteral("an unknown error");
        }
        output.problems(QStringLiteral("op=%1 failed=%2").arg(op.name, why.isEmpty() ? QStringLiteral("?") : why));
        failed << op.name;
    }
    return failed;
}
