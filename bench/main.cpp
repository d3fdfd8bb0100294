// zettora-bench: times the program's operations on a large collection against bare SQLite reads of the same rows.
#include "benchops.h"
#include "benchrunner.h"
#include "collectiongenerator.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/resultset.h"
#include "ocr/recognitionprocess.h"

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
    registerOcrOps(registry);
    registerClipOps(registry);
    registerMemoryOps(registry);
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
    // The window's worker writes beside the bare reader; a read waits for its commit as the program's own do.
    sqlite3_busy_timeout(context.bare, kBareBusyMs);
    context.beforeEachOp = settleWindow;
}

void tearDown(BenchContext& context)
{
    context.window.reset();
    context.connection.reset();
    sqlite3_close(context.bare);
    context.bare = nullptr;
}

// Each text typed into the body search field, as operations of their own.
void addTypedSearches(BenchRegistry& operations, const QStringList& typed)
{
    for (qsizetype i = 0; i < typed.size(); ++i)
        operations.push_back(typedSearchOp(QStringLiteral("typed_search_%1").arg(i + 1), typed[i]));
}

// With --search alone only the typed searches run; --ops chooses among every operation, typed ones included.
BenchRegistry chosenOperations(const QStringList& only, const QStringList& typed)
{
    BenchRegistry operations = allOperations();
    addTypedSearches(operations, typed);
    for (const QString& name : only) {
        if (std::none_of(operations.begin(), operations.end(), [&name](const BenchOp& op) { return op.name == name; }))
            throw std::runtime_error("no operation named " + name.toStdString());
    }
    BenchRegistry chosen;
    for (const BenchOp& op : operations) {
        const bool typedOne = op.name.startsWith(QLatin1StringView("typed_search_"));
        if (only.isEmpty() ? typed.isEmpty() || typedOne : only.contains(op.name))
            chosen.push_back(op);
    }
    return chosen;
}

int runBench(const QCommandLineParser& parser, const GeneratorOptions& options, int runs, const QStringList& only,
             const QStringList& typed, bool writeCopy)
{
    const BenchRegistry operations = chosenOperations(only, typed);
    const QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    // What the window writes into the user's cache (the spreadsheets) goes to the run's own folder instead.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.filePath(QStringLiteral("cache"))));
    BenchContext context;
    if (parser.positionalArguments().isEmpty()) {
        context.path = folder.filePath(QStringLiteral("zettora-bench.mdb"));
        context.writable = true;
        generate(context.path, options);
    } else {
        const QString given = parser.positionalArguments().constFirst();
        if (!QFileInfo(given).isFile())
            throw std::runtime_error("no such file: " + given.toStdString());
        // The program adds missing lookup indexes when it opens a file; the bench works on a copy so that the
        // user's file is only ever read.
        context.path = folder.filePath(QFileInfo(given).fileName());
        if (!QFile::copy(given, context.path))
            throw std::runtime_error("cannot copy " + given.toStdString() + " to a temporary folder");
        context.writable = writeCopy;
    }
    setUp(context);
    const QStringList failed = measureAll(
        operations, context, runs,
        {[](const QString& line) { print(stdout, line); }, [](const QString& line) { print(stderr, line); }});
    tearDown(context);
    if (failed.isEmpty())
        return 0;
    print(stderr, QStringLiteral("zettora-bench: %1 of %2 operations failed: %3")
                      .arg(failed.size())
                      .arg(operations.size())
                      .arg(failed.join(QStringLiteral(", "))));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // The bench reads pictures through a child, as the program does; the child is the bench itself.
    if (Ocr::isRecognitionCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        return Ocr::runRecognitionCommand();
    }
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
    const QCommandLineOption firstNumberOption(
        QStringLiteral("first-number"),
        QStringLiteral("Number of a generated collection's first scrap and picture set (default 1); the counters go "
                       "on from the last."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption writeCopyOption(
        QStringLiteral("write-copy"),
        QStringLiteral("FILE is a collection generated earlier: the operations that write run too, on its copy."));
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
    const QCommandLineOption searchOption(
        QStringLiteral("search"),
        QStringLiteral("Time a body search for TEXT as typed into the window's field (op=typed_search_N); may be "
                       "given again. Without --ops only these searches run."),
        QStringLiteral("TEXT"));
    const QCommandLineOption noIndexOption(QStringLiteral("no-body-index"),
                                           QStringLiteral("Generate the collection without its body index, as a "
                                                          "file from elsewhere comes; the window then makes it."));
    parser.addOptions({generateOnly, scrapsOption, firstNumberOption, writeCopyOption, seedOption, runsOption,
                       opsOption, searchOption, noIndexOption, speakOption, textOption, languageOption});
    parser.process(app);

    GeneratorOptions options;
    bool scrapsOk = false, seedOk = false, runsOk = false, firstOk = false;
    options.scraps = parser.value(scrapsOption).toInt(&scrapsOk);
    options.firstNumber = parser.value(firstNumberOption).toLongLong(&firstOk);
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    options.bodyIndex = !parser.isSet(noIndexOption);
    const int runs = parser.value(runsOption).toInt(&runsOk);
    const QStringList typed = parser.values(searchOption);
    const bool typedBlank =
        std::any_of(typed.begin(), typed.end(), [](const QString& text) { return text.trimmed().isEmpty(); });
    if (!scrapsOk || !seedOk || !runsOk || !firstOk || runs < 1 || typedBlank ||
        parser.positionalArguments().size() > 1) {
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
        return runBench(parser, options, runs, parser.value(opsOption).split(u',', Qt::SkipEmptyParts), typed,
                        parser.isSet(writeCopyOption));
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("zettora-bench: ") + e.message());
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("zettora-bench: ") + QString::fromUtf8(e.what()));
    }
    return 1;
}
