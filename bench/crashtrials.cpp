// zettora-crashtrials: kills a worker mid-write, again and again, and checks every file it leaves is still whole.
#include "collectiongenerator.h"
#include "crashtrialscheck.h"
#include "crashtrialsworker.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/transaction.h"
#include "legacyimport/legacyimport.h"
#include "search/bodyindex.h"

#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kKeptTrials = 5;
constexpr int kMinDelayMs = 20;
constexpr int kReadyTimeoutMs = 120000; // a sanitized worker takes seconds to open the file on a busy machine

void print(FILE* stream, const QString& line)
{
    std::fputs(line.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void report(const QString& name, const Verdict& verdict)
{
    if (!verdict.damage.isEmpty())
        print(stderr, name + QStringLiteral(": damaged: ") + verdict.damage);
    for (const QString& breach : verdict.breaches)
        print(stderr, name + QStringLiteral(": ") + breach);
}

void report(const QString& name, const FilesVerdict& verdict)
{
    for (const QString& damage : verdict.damage)
        print(stderr, name + QStringLiteral(": damaged: ") + damage);
    for (const QString& breach : verdict.breaches)
        print(stderr, name + QStringLiteral(": ") + breach);
}

// What the import makes of the old collection, and what the creation makes, each whole, by the same code.
QByteArray convertedDigest(const QString& folder, const QString& legacySource)
{
    const QString path = QDir(folder).filePath(QStringLiteral("reference-import.mdb"));
    LegacyImport::convert(legacySource, path);
    const QByteArray digest = contentDigest(path);
    if (digest.isEmpty())
        throw std::runtime_error("the converted reference cannot be read");
    return digest;
}

QByteArray createdDigest(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("reference-new.mdb"));
    createScrapDatabaseFile(path);
    const QByteArray digest = contentDigest(path);
    if (digest.isEmpty())
        throw std::runtime_error("the new reference cannot be read");
    return digest;
}

// A collection, with the files a trial writes beside it when there are any.
int runCheck(const QString& path, const QString& legacySource)
{
    const Verdict verdict = checkCollection(path);
    report(path, verdict);
    QTemporaryDir scratch;
    const TrialFiles trialFiles(path);
    References references;
    if (QFileInfo::exists(trialFiles.importTarget))
        references.imported = convertedDigest(scratch.path(), legacySource);
    if (QFileInfo::exists(trialFiles.createTarget))
        references.created = createdDigest(scratch.path());
    const FilesVerdict files = checkTrialFiles(trialFiles, {}, references);
    report(path, files);
    for (const QString& left : files.leftBehind)
        print(stderr, path + QStringLiteral(": left behind: ") + left);
    // Here each damaged file counts, the collection and those beside it.
    const qsizetype damaged = (verdict.damage.isEmpty() ? 0 : 1) + files.damage.size();
    const qsizetype breaches = verdict.breaches.size() + files.breaches.size();
    print(stdout, QStringLiteral("checked=1 damaged=%1 broken_invariants=%2 left_behind=%3")
                      .arg(damaged)
                      .arg(breaches)
                      .arg(files.leftBehind.size()));
    return damaged != 0 || breaches != 0 ? 1 : 0;
}

struct TrialOptions {
    int trials = 1000;
    int scraps = 300;
    quint32 seed = 20240601;
    int maxDelayMs = 400;
    QString legacySource;
    QString focus;              // every trial on this path; empty: the paths in turn
    qint64 numbersFrom = 40000; // the generated numbers are moved up by this, past the old 16-bit counters
};

// Moves every number of the generated collection up by `by`, counters included, then makes its body index.
void moveNumbersUp(const QString& path, qint64 by)
{
    auto connection = Connection::openExisting(path);
    {
        Transaction transaction(*connection);
        const char16_t* statements[] = {
            u"UPDATE MEMO_IDX SET DocNo = DocNo + ?1, pfID = CASE WHEN pfID <> 0 THEN pfID + ?1 ELSE 0 END, "
            u"skID = CASE WHEN skID <> 0 THEN skID + ?1 ELSE 0 END",
            u"UPDATE MEMO_DAT SET pfID = pfID + ?1",
            u"UPDATE MEMO_UNDERLINE SET pfID = pfID + ?1",
            u"UPDATE PHOTO_DRA SET skID = skID + ?1",
            u"UPDATE extraNodeWEB SET ndID = ndID + ?1",
            u"UPDATE IDno SET DocNo = DocNo + ?1, pfID = pfID + ?1, skID = skID + ?1, ndID = ndID + ?1",
        };
        for (const char16_t* sql : statements) {
            Query move(*connection, QString::fromUtf16(sql));
            move.bind(1, by).run();
        }
        transaction.commit();
    }
    BodyIndex::registerFunctions(*connection);
    if (!BodyIndex::rebuild(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString(), {}, {}))
        throw std::runtime_error("the body index was not made");
}

[[noreturn]] void workerFailed(QProcess& worker, const QString& what)
{
    const QString output = QString::fromUtf8(worker.readAllStandardError()).trimmed();
    throw std::runtime_error(QStringLiteral("the worker %1 (exit %2)\n%3")
                                 .arg(what)
                                 .arg(worker.exitCode())
                                 .arg(output.right(4000))
                                 .toStdString());
}

struct Trial {
    quint32 seed = 0;
    QString focus;
    int warmupMs = 0;
    int delayMs = 0;
};

// Starts the worker on path and kills it delayMs after it began writing; gives what it told until then.
WorkerLog runOneTrial(const QString& path, const QString& legacySource, const Trial& trial)
{
    QProcess worker;
    worker.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--work"), path, QStringLiteral("--seed"), QString::number(trial.seed),
                  QStringLiteral("--legacy"), legacySource, QStringLiteral("--focus"), trial.focus,
                  QStringLiteral("--warmup"), QString::number(trial.warmupMs)});
    if (!worker.waitForStarted())
        throw std::runtime_error("cannot start the worker: " + worker.errorString().toStdString());
    QElapsedTimer waited;
    waited.start();
    while (!worker.canReadLine()) {
        if (worker.state() == QProcess::NotRunning || waited.elapsed() > kReadyTimeoutMs) {
            worker.kill();
            worker.waitForFinished();
            workerFailed(worker, QStringLiteral("never began writing"));
        }
        worker.waitForReadyRead(100);
    }
    if (worker.readLine().trimmed() != WorkerLine::kReady)
        workerFailed(worker, QStringLiteral("said something other than ready"));
    // Ending by itself, whether by an exception or a sanitizer's report, is a fault of the worker, not of the file.
    if (worker.waitForFinished(trial.delayMs))
        workerFailed(worker, QStringLiteral("ended before it was killed"));
    worker.kill();
    worker.waitForFinished(-1);
    return WorkerLog::parse(worker.readAllStandardOutput());
}

// Everything a trial wrote goes, but the folder trees the tree editor imports, the same for every trial: making them
// anew each time costs more than a trial's check.
void clearTrialFolder(const QString& path)
{
    QDir folder(path);
    folder.mkpath(path);
    const QString keep = QFileInfo(TrialFiles(folder.filePath(QStringLiteral("trial.mdb"))).folderTrees).fileName();
    for (const QFileInfo& entry :
         folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.isDir() && entry.fileName() != keep)
            QDir(entry.absoluteFilePath()).removeRecursively();
        else if (!entry.isDir())
            QFile::remove(entry.absoluteFilePath());
    }
}

void copyFolder(const QString& from, const QString& to)
{
    QDirIterator files(from, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString copy = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(copy).path());
        QFile::copy(file, copy);
    }
}

int runTrials(const TrialOptions& options)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    const QString original = folder.filePath(QStringLiteral("original.mdb"));
    GeneratorOptions generator;
    generator.scraps = options.scraps;
    generator.seed = options.seed;
    generator.bodyIndex = false;
    generateCollection(original, generator);
    moveNumbersUp(original, options.numbersFrom);
    CollectionChecker checker;
    const Verdict before = checker.check(original);
    if (!before.damage.isEmpty() || !before.breaches.isEmpty()) {
        report(original, before);
        throw std::runtime_error("the generated collection fails the checks before any trial");
    }
    // The worker reads a copy, which must stay as it was.
    References references;
    references.legacySource = folder.filePath(QStringLiteral("legacy.mdb"));
    if (!QFile::copy(options.legacySource, references.legacySource))
        throw std::runtime_error("cannot copy the old collection " + options.legacySource.toStdString());
    references.legacyHash = fileHash(references.legacySource);
    references.imported = convertedDigest(folder.path(), references.legacySource);
    references.created = createdDigest(folder.path());

    QElapsedTimer clock;
    clock.start();
    QRandomGenerator rng(options.seed);
    const QString trialFolder = folder.filePath(QStringLiteral("trial"));
    const QString copy = trialFolder + QStringLiteral("/trial.mdb");
    const QString journal = copy + QStringLiteral("-journal");
    std::optional<QTemporaryDir> kept;
    int damaged = 0, broken = 0, leftBehind = 0, keptTrials = 0, changed = 0;
    QMap<QString, int> kills, failedIn, leftBy;
    for (int trial = 1; trial <= options.trials; ++trial) {
        Trial next;
        next.seed = rng.generate();
        next.delayMs = rng.bounded(kMinDelayMs, std::max(kMinDelayMs, options.maxDelayMs) + 1);
        next.warmupMs = rng.bounded(next.delayMs / 2 + 1);
        next.focus = options.focus.isEmpty() ? writePaths()[(trial - 1) % writePaths().size()] : options.focus;
        clearTrialFolder(trialFolder);
        if (!QFile::copy(original, copy))
            throw std::runtime_error("cannot copy the generated collection");
        const WorkerLog log = runOneTrial(copy, references.legacySource, next);
        const QString landed = log.lastPath.isEmpty() ? QStringLiteral("(none)") : log.lastPath;
        ++kills[landed];

        // The journal the kill left is kept with a failing file: it is what the next opening rolls back.
        const bool hadJournal = QFile::exists(journal);
        QTemporaryDir beforeCheck(folder.filePath(QStringLiteral("pending-XXXXXX")));
        QFile::copy(copy, beforeCheck.filePath(QStringLiteral("trial.mdb")));
        if (hadJournal)
            QFile::copy(journal, beforeCheck.filePath(QStringLiteral("trial.mdb-journal")));

        const Verdict verdict = checker.check(copy);
        const FilesVerdict files = checkTrialFiles(TrialFiles(copy), log, references);
        changed += verdict.rows == before.rows ? 0 : 1;
        const bool damagedHere = !verdict.damage.isEmpty() || !files.damage.isEmpty();
        const bool brokenHere = !verdict.breaches.isEmpty() || !files.breaches.isEmpty();
        damaged += damagedHere ? 1 : 0;
        broken += brokenHere ? 1 : 0;
        if (!files.leftBehind.isEmpty()) {
            ++leftBehind;
            ++leftBy[landed];
            print(stderr, QStringLiteral("trial %1, killed in %2, left: ").arg(trial).arg(landed) +
                              files.leftBehind.join(QStringLiteral(", ")));
        }
        if (!damagedHere && !brokenHere)
            continue;
        ++failedIn[landed];
        const QString name = QStringLiteral("trial-%1-seed-%2-%3-after-%4ms-in-%5")
                                 .arg(trial)
                                 .arg(next.seed)
                                 .arg(next.focus)
                                 .arg(next.delayMs)
                                 .arg(landed);
        report(name, verdict);
        report(name, files);
        if (keptTrials < kKeptTrials) {
            if (!kept) {
                kept.emplace(QDir::temp().filePath(QStringLiteral("zettora-crashtrials-XXXXXX")));
                kept->setAutoRemove(false);
                print(stderr,
                      QStringLiteral("keeping failing trials, the collection as the kill left it, in ") + kept->path());
            }
            const QString keptFolder = kept->filePath(name);
            copyFolder(trialFolder, keptFolder);
            QFile::remove(keptFolder + QStringLiteral("/trial.mdb"));
            QFile::copy(beforeCheck.filePath(QStringLiteral("trial.mdb")), keptFolder + QStringLiteral("/trial.mdb"));
            if (hadJournal)
                QFile::copy(beforeCheck.filePath(QStringLiteral("trial.mdb-journal")),
                            keptFolder + QStringLiteral("/trial.mdb-journal"));
            ++keptTrials;
        }
    }
    QStringList tally;
    for (auto it = kills.cbegin(); it != kills.cend(); ++it) {
        QString entry = QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        if (failedIn.value(it.key()) != 0)
            entry += QStringLiteral(" (%1 failed)").arg(failedIn.value(it.key()));
        tally << entry;
    }
    print(stderr, QStringLiteral("kills by the path they landed in: ") + tally.join(QStringLiteral(", ")));
    QStringList left;
    for (auto it = leftBy.cbegin(); it != leftBy.cend(); ++it)
        left << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    if (!left.isEmpty())
        print(stderr, QStringLiteral("trials that left files nothing removes, by the path killed: ") +
                          left.join(QStringLiteral(", ")));
    // A kill before the first commit proves little: how many trials left a changed file tells whether the delays fit.
    print(stderr, QStringLiteral("%1 of %2 trials left a changed collection; %3 s")
                      .arg(changed)
                      .arg(options.trials)
                      .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    print(stdout, QStringLiteral("trials=%1 damaged=%2 broken_invariants=%3 left_behind=%4")
                      .arg(options.trials)
                      .arg(damaged)
                      .arg(broken)
                      .arg(leftBehind));
    return damaged == 0 && broken == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // The generator encodes pictures as JPEG, which needs a platform, but the trials must run without a display. A
    // worker or a check, started again and again, spares itself the platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool generates = std::none_of(argv + 1, argv + argc, [](const char* argument) {
        return qstrcmp(argument, "--work") == 0 || qstrncmp(argument, "--work=", 7) == 0 ||
               qstrcmp(argument, "--check") == 0 || qstrncmp(argument, "--check=", 8) == 0;
    });
    std::unique_ptr<QCoreApplication> application =
        generates ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zettora-crashtrials"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kills a worker writing to a generated collection at random moments and checks each file."));
    parser.addHelpOption();
    const QCommandLineOption trialsOption(QStringLiteral("trials"), QStringLiteral("Trials to run (default 1000)."),
                                          QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption scrapsOption(QStringLiteral("scraps"),
                                          QStringLiteral("Scraps in the generated collection (default 300)."),
                                          QStringLiteral("M"), QStringLiteral("300"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the collection and of the kill times, or of a worker."),
                                        QStringLiteral("S"), QString::number(TrialOptions().seed));
    const QCommandLineOption delayOption(QStringLiteral("max-delay"),
                                         QStringLiteral("Latest kill, in ms after the worker began (default 400)."),
                                         QStringLiteral("MS"), QStringLiteral("400"));
    const QCommandLineOption legacyOption(
        QStringLiteral("legacy"), QStringLiteral("The old Access collection the import converts."),
        QStringLiteral("FILE"), QStringLiteral(ZETTORA_LEGACY_SAMPLES "/collection-small.mdb"));
    const QCommandLineOption focusOption(
        QStringLiteral("focus"),
        QStringLiteral("The write path every trial (or the worker, after its warm-up) runs: ") +
            writePaths().join(QStringLiteral(", ")) + QStringLiteral(". Default: each in turn."),
        QStringLiteral("PATH"));
    const QCommandLineOption warmupOption(QStringLiteral("warmup"),
                                          QStringLiteral("With --work, ms of paths at random before the focus."),
                                          QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption workOption(
        QStringLiteral("work"), QStringLiteral("Be the worker: write to FILE until killed."), QStringLiteral("FILE"));
    const QCommandLineOption stepsOption(QStringLiteral("steps"),
                                         QStringLiteral("With --work, stop after N writes (default: never)."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption checkOption(QStringLiteral("check"), QStringLiteral("Only check FILE and stop."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption numbersOption(
        QStringLiteral("numbers-from"),
        QStringLiteral("The generated scraps' numbers start past N, counters too (default 40000)."),
        QStringLiteral("N"), QStringLiteral("40000"));
    parser.addOptions({trialsOption, scrapsOption, seedOption, delayOption, legacyOption, focusOption, warmupOption,
                       workOption, stepsOption, checkOption, numbersOption});
    parser.process(*application);

    TrialOptions options;
    bool trialsOk = false, scrapsOk = false, seedOk = false, delayOk = false, stepsOk = false, warmupOk = false,
         numbersOk = false;
    options.numbersFrom = parser.value(numbersOption).toLongLong(&numbersOk);
    options.trials = parser.value(trialsOption).toInt(&trialsOk);
    options.scraps = parser.value(scrapsOption).toInt(&scrapsOk);
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    options.maxDelayMs = parser.value(delayOption).toInt(&delayOk);
    options.legacySource = parser.value(legacyOption);
    options.focus = parser.value(focusOption);
    const int steps = parser.value(stepsOption).toInt(&stepsOk);
    const int warmupMs = parser.value(warmupOption).toInt(&warmupOk);
    if (!trialsOk || !scrapsOk || !seedOk || !delayOk || !stepsOk || !warmupOk || !numbersOk ||
        options.numbersFrom < 0 || options.numbersFrom > (qint64(1) << 53) || options.trials < 1 ||
        options.scraps < 10 || options.scraps > 32767 || steps < 0 || warmupMs < 0 ||
        (!options.focus.isEmpty() && !writePaths().contains(options.focus))) {
        print(stderr, QStringLiteral("zettora-crashtrials: bad arguments; see --help"));
        return 2;
    }

    try {
        if (parser.isSet(workOption))
            return runWorker(
                {parser.value(workOption), options.legacySource, options.seed, options.focus, warmupMs, steps});
        if (parser.isSet(checkOption))
            return runCheck(parser.value(checkOption), options.legacySource);
        return runTrials(options);
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("zettora-crashtrials: ") + e.message());
    } catch (const LegacyImport::ImportError& e) {
        print(stderr, QStringLiteral("zettora-crashtrials: ") + e.message());
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("zettora-crashtrials: ") + QString::fromUtf8(e.what()));
    }
    return 1;
}
