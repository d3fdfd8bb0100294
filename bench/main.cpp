// zettora-bench: times the program's operations on a large collection against bare SQLite reads of the same rows.
#include "benchops.h"
#include "collectiongenerator.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/resultset.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace {

BenchRegistry allOperations()
{
    BenchRegistry registry;
    registerOpeningOps(registry);
    registerListingOps(registry);
    registerRecordOps(registry);
    registerFullTextOps(registry);
    registerSearchOps(registry);
    registerBodySearchOps(registry);
    registerTreeOps(registry);
    registerPictureOps(registry);
    registerExportOps(registry);
    registerSavedEditionOps(registry);
    registerImportOps(registry);
    registerSpeechOps(registry);
    registerStartupOps(registry);
    return registry;
}

void print(FILE* stream, const QString& line)
{
    std::fputs(line.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// QString::number ignores the locale, so the decimal point stays a point whatever LC_NUMERIC says.
QString ms(double value)
{
    return QString::number(value, 'f', 2);
}

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void generate(const QString& path, const GeneratorOptions& options)
{
    GeneratorOptions withProgress = options;
    if (isatty(STDERR_FILENO)) {
        withProgress.progress = [](int done, int total) {
            std::fprintf(stderr, "\rgenerating %d/%d", done, total);
            if (done == total)
                std::fputc('\n', stderr);
        };
    }
    QElapsedTimer timer;
    timer.start();
    generateCollection(path, withProgress);
    print(stderr, QStringLiteral("generated %1 scraps in %2 s: %3")
                      .arg(QString::number(options.scraps), ms(elapsedMs(timer) / 1000), path));
}

void setUp(BenchContext& context)
{
    context.connection = OpenSharedConnection(context.path);
    if (!CheckDatabaseKind(*context.connection).accepted())
        throw std::runtime_error("not a Zettora collection: " + context.path.toStdString());
    Query major(*context.connection,
                QStringLiteral("SELECT nName FROM extraNodeMEMO WHERE ndP = 1 ORDER BY rowid LIMIT 1"));
    if (major.next())
        context.firstMajorClass = major.text(0);
    const QByteArray path = context.path.toUtf8();
    if (sqlite3_open_v2(path.constData(), &context.bare, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.toStdString() + " read-only");
}

void tearDown(BenchContext& context)
{
    context.window.reset();
    context.connection.reset();
    sqlite3_close(context.bare);
    context.bare = nullptr;
}

void printLine(const QString& name, const std::vector<double>& times, const std::vector<double>& bareTimes)
{
    const double m = median(times);
    const double bare = median(bareTimes);
    print(stdout, QStringLiteral("op=%1 median_ms=%2 min_ms=%3 max_ms=%4 bare_ms=%5 ratio=%6")
                      .arg(name, ms(m), ms(*std::min_element(times.begin(), times.end())),
                           ms(*std::max_element(times.begin(), times.end())), ms(bare),
                           bare > 0 ? ms(m / bare) : QStringLiteral("inf")));
}

// One warm-up of each, not counted; then the two are interleaved so that drift in the machine hits both alike.
void measure(const BenchOp& op, BenchContext& context, int runs)
{
    if (op.writes && !context.writable)
        return;
    if (op.runItems) {
        printLine(op.name, op.runItems(context), op.bareItems(context));
        return;
    }
    const qint64 expected = op.bare(context);
    if (const qint64 got = op.run(context); got != expected)
        print(stderr,
              QStringLiteral("warning: %1 gave %2 where the bare read gave %3").arg(op.name).arg(got).arg(expected));
    std::vector<double> times, bareTimes;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        op.run(context);
        times.push_back(elapsedMs(timer));
        timer.start();
        op.bare(context);
        bareTimes.push_back(elapsedMs(timer));
    }
    printLine(op.name, times, bareTimes);
}

int runBench(const QCommandLineParser& parser, const GeneratorOptions& options, int runs, const QStringList& only)
{
    const BenchRegistry operations = allOperations();
    for (const QString& name : only) {
        if (std::none_of(operations.begin(), operations.end(), [&name](const BenchOp& op) { return op.name == name; }))
            throw std::runtime_error("no operation named " + name.toStdString());
    }
    std::optional<QTemporaryDir> folder;
    BenchContext context;
    if (parser.positionalArguments().isEmpty()) {
        folder.emplace();
        if (!folder->isValid())
            throw std::runtime_error("cannot make a temporary folder");
        context.path = folder->filePath(QStringLiteral("zettora-bench.mdb"));
        context.writable = true;
        generate(context.path, options);
    } else {
        const QString given = parser.positionalArguments().constFirst();
        if (!QFileInfo(given).isFile())
            throw std::runtime_error("no such file: " + given.toStdString());
        // The program adds missing lookup indexes when it opens a file; the bench works on a copy so that the
        // user's file is only ever read.
        folder.emplace();
        context.path = folder->filePath(QFileInfo(given).fileName());
        if (!folder->isValid() || !QFile::copy(given, context.path))
            throw std::runtime_error("cannot copy " + given.toStdString() + " to a temporary folder");
    }
    setUp(context);
    for (const BenchOp& op : operations) {
        if (only.isEmpty() || only.contains(op.name))
            measure(op, context, runs);
    }
    tearDown(context);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // Operations that build windows need a platform, but the bench must run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zettora-bench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times Zettora's operations on FILE (only read), or on a collection generated for the run."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("collection to measure; never written to"),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption generateOnly(QStringLiteral("generate"),
                                          QStringLiteral("Only generate a collection at PATH and stop."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption scrapsOption(QStringLiteral("scraps"),
                                          QStringLiteral("Scraps in a generated collection (default 32767)."),
                                          QStringLiteral("N"), QStringLiteral("32767"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Seed of a generated collection."),
                                        QStringLiteral("S"), QString::number(GeneratorOptions().seed));
    const QCommandLineOption runsOption(
        QStringLiteral("runs"), QStringLiteral("Measured runs of each operation after one warm-up (default 7)."),
        QStringLiteral("N"), QStringLiteral("7"));
    const QCommandLineOption opsOption(QStringLiteral("ops"),
                                       QStringLiteral("Measure only these operations (names separated by commas)."),
                                       QStringLiteral("NAMES"));
    const QCommandLineOption speakOption(
        QStringLiteral("speak-wav"),
        QStringLiteral("Only read TEXT (see --text, --language) aloud into a WAV file at PATH and stop."),
        QStringLiteral("PATH"));
    const QCommandLineOption textOption(QStringLiteral("text"), QStringLiteral("Text for --speak-wav."),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption languageOption(QStringLiteral("language"),
                                            QStringLiteral("espeak-ng voice for --speak-wav (default ja)."),
                                            QStringLiteral("VOICE"), QStringLiteral("ja"));
    parser.addOptions(
        {generateOnly, scrapsOption, seedOption, runsOption, opsOption, speakOption, textOption, languageOption});
    parser.process(app);

    GeneratorOptions options;
    bool scrapsOk = false, seedOk = false, runsOk = false;
    options.scraps = parser.value(scrapsOption).toInt(&scrapsOk);
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    const int runs = parser.value(runsOption).toInt(&runsOk);
    if (!scrapsOk || !seedOk || !runsOk || runs < 1 || parser.positionalArguments().size() > 1) {
        print(stderr, QStringLiteral("zettora-bench: bad arguments; see --help"));
        return 2;
    }

    try {
        if (parser.isSet(speakOption)) {
            const QByteArray language = parser.value(languageOption).toLatin1();
            return writeSpeechWav(parser.value(speakOption), parser.value(textOption), language.constData()) ? 0 : 1;
        }
        if (parser.isSet(generateOnly)) {
            generate(parser.value(generateOnly), options);
            return 0;
        }
        return runBench(parser, options, runs, parser.value(opsOption).split(u',', Qt::SkipEmptyParts));
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("zettora-bench: ") + e.message());
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("zettora-bench: ") + QString::fromUtf8(e.what()));
    }
    return 1;
}
