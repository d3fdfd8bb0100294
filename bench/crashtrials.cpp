// zettora-crashtrials: kills a worker mid-write, again and again, and checks every file it leaves is still whole.
#include "classtree/classtreestore.h"
#include "collectiongenerator.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/transaction.h"
#include "pictures/picturestore.h"
#include "savededition/savededitionwriter.h"
#include "scrap/scrapregistration.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kKeptFiles = 5;
constexpr int kMinDelayMs = 20;
constexpr int kReadyTimeoutMs = 120000; // a sanitized worker takes seconds to open the file on a busy machine

void print(FILE* stream, const QString& line)
{
    std::fputs(line.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// The stored classes in tree-row order, each with the path its scraps are filed under (empty below the minor level).
QList<ClassRow> storedClasses(Connection& connection)
{
    QList<ClassRow> rows;
    QHash<int, int> depthOf{{1, 0}};
    QHash<int, ClassPath> pathOf;
    Query query(connection, QStringLiteral("SELECT ndP, nName, ndMEMO FROM extraNodeMEMO ORDER BY ndMEMO"));
    while (query.next()) {
        ClassRow row{int(query.integer(0)), query.text(1), int(query.integer(2)), {}};
        const int depth = depthOf.value(row.ndP, 3) + 1;
        row.path = pathOf.value(row.ndP);
        if (depth == 1)
            row.path.major = row.nName;
        else if (depth == 2)
            row.path.middle = row.nName;
        else if (depth == 3)
            row.path.minor = row.nName;
        else
            row.path = {};
        depthOf.insert(row.ndMEMO, depth);
        pathOf.insert(row.ndMEMO, row.path);
        rows.push_back(row);
    }
    return rows;
}

// The last major class with its subtree moved to the front: every tree row changes, so every scrap is renumbered.
QList<ClassRow> rotatedClasses(const QList<ClassRow>& rows)
{
    qsizetype last = -1;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].ndP == 1)
            last = i;
    }
    if (last <= 0)
        return rows;
    QList<ClassRow> rotated = rows.mid(last) + rows.first(last);
    QHash<int, int> renumbered{{1, 1}};
    for (qsizetype i = 0; i < rotated.size(); ++i)
        renumbered.insert(rotated[i].ndMEMO, int(i) + 2);
    for (ClassRow& row : rotated) {
        row.ndMEMO = renumbered.value(row.ndMEMO);
        row.ndP = renumbered.value(row.ndP);
    }
    return rotated;
}

struct PickedScrap {
    qint64 rowid = 0;
    qint16 docNo = 0;
    qint16 pfID = 0;
    qint16 skID = 0;
};

// Runs the program's write paths at random on one collection until it is killed (or for a number of steps).
class Worker final {
public:
    Worker(const QString& path, quint32 seed)
        : m_keeper(QString::fromLatin1(BodyIndex::kMainSchema), {})
        , m_rng(seed)
        , m_editions(path + QStringLiteral("-editions"))
    {
        auto connection = OpenSharedConnection(path);
        BodyIndex::registerFunctions(*connection);
        BodyIndex::verifyOrReset(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString());
        connection->setTransactionObserver(&m_keeper);
        m_session.adoptDatabase(std::move(connection), path, QStringLiteral("crashtrials"), DatabaseKind::Scrap);
        Query levels(db(), QStringLiteral("SELECT \"01iName\", \"02BackColor\" FROM Status ORDER BY \"99Kana\""));
        while (levels.next())
            m_levels.push_back({levels.text(0), levels.text(1)});
        Query picture(db(), QStringLiteral("SELECT rowid FROM PHOTO_DRA ORDER BY rowid LIMIT 1"));
        if (picture.next())
            m_jpeg = PictureBytes(db(), picture.integer(0)).value_or(QByteArray());
        if (m_levels.isEmpty() || m_jpeg.isEmpty())
            throw std::runtime_error("the collection has no importance levels or no pictures");
        QDir().mkpath(m_editions);
    }
    Q_DISABLE_COPY_MOVE(Worker)
    ~Worker() { db().setTransactionObserver(nullptr); }

    void step()
    {
        // Registration outweighs the deletions, so the collection neither empties nor runs out of numbers.
        switch (m_rng.bounded(20)) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            return registerOne();
        case 5:
        case 6:
        case 7:
            return saveBody();
        case 8:
        case 9:
        case 10:
            return addMarks();
        case 11:
        case 12:
            return deleteOne();
        case 13:
            return deleteFew();
        case 14:
        case 15:
        case 16:
            return changePictures();
        case 17:
        case 18:
            return renumberTree();
        default:
            return saveEdition();
        }
    }

    // How often each write path ran, for a trial by hand.
    QString tally() const
    {
        static constexpr std::array kNames{"register",   "body",     "marks", "delete",
                                           "delete_all", "pictures", "tree",  "edition"};
        QStringList parts;
        for (std::size_t i = 0; i < kNames.size(); ++i)
            parts.push_back(QStringLiteral("%1=%2").arg(QLatin1StringView(kNames[i])).arg(m_counts[i]));
        return parts.join(u' ');
    }

private:
    Connection& db() const { return *m_session.connection(); }

    QString text(int length)
    {
        static const QStringList kPhrases{QStringLiteral("崩れない書き込みを確かめる記事です。"),
                                          QStringLiteral("二行目には少し長めの文章が続きます。\n"),
                                          QStringLiteral("検索索引も同じ取引で書かれる。")};
        QString body;
        while (body.size() < length)
            body += kPhrases[m_rng.bounded(int(kPhrases.size()))];
        return body.left(length);
    }

    std::optional<PickedScrap> pickScrap()
    {
        Query count(db(), QStringLiteral("SELECT count(*) FROM MEMO_IDX"));
        const qint64 total = count.next() ? count.integer(0) : 0;
        if (total == 0)
            return std::nullopt;
        Query pick(db(), QStringLiteral("SELECT rowid, DocNo, pfID, skID FROM MEMO_IDX ORDER BY rowid LIMIT 1 "
                                        "OFFSET ?"));
        pick.bind(1, qint64(m_rng.bounded(total)));
        if (!pick.next())
            return std::nullopt;
        return PickedScrap{pick.integer(0), qint16(pick.integer(1)), qint16(pick.integer(2)), qint16(pick.integer(3))};
    }

    void registerOne()
    {
        ++m_counts[0];
        const QList<ClassRow> classes = storedClasses(db());
        const auto& [level, colour] = m_levels[m_rng.bounded(int(m_levels.size()))];
        ScrapIndex index;
        index.a01 = level;
        index.a02 = text(m_rng.bounded(5, 60));
        index.a03 = QStringLiteral("2026-12-07");
        index.a07 = QStringLiteral("耐久");
        index.backC = colour;
        if (!classes.isEmpty()) {
            const ClassRow& filed = classes[m_rng.bounded(int(classes.size()))];
            index.a04 = filed.path.major;
            index.a05 = filed.path.middle;
            index.a06 = filed.path.minor;
            index.levNo = filed.ndMEMO;
        }
        std::optional<WaitingPicture> picture;
        if (m_rng.bounded(4) == 0)
            picture = WaitingPicture{QStringLiteral("登録時の写真"), m_jpeg};
        if (!registerScrap(m_session, index, text(m_rng.bounded(20, 3000)), picture).ok())
            throw std::runtime_error("a registration was refused");
    }

    void saveBody()
    {
        ++m_counts[1];
        const auto scrap = pickScrap();
        if (!scrap)
            return;
        Transaction transaction(db());
        if (!SaveScrapBody(db(), scrap->pfID, text(m_rng.bounded(20, 3000))))
            throw std::runtime_error("a listed scrap has no body row");
        transaction.commit();
    }

    void addMarks()
    {
        ++m_counts[2];
        const auto scrap = pickScrap();
        if (!scrap)
            return;
        const int length = int(LoadScrapBody(db(), scrap->pfID).value_or(QString()).size());
        if (length < 2)
            return;
        Transaction transaction(db());
        for (int n = m_rng.bounded(1, 4); n > 0; --n) {
            const int start = m_rng.bounded(length - 1);
            AppendMarkRow(db(), scrap->pfID, {m_rng.bounded(3) == 0, start, m_rng.bounded(1, length - start + 1)});
        }
        transaction.commit();
    }

    void deleteOne()
    {
        ++m_counts[3];
        const auto scrap = pickScrap();
        if (!scrap)
            return;
        auto set = ResultSet::open(db(), ResultSource::fromTable(QStringLiteral("MEMO_IDX"),
                                                                 QStringLiteral(" WHERE rowid = ?"), {scrap->rowid}));
        set->moveFirst();
        if (!set->eof())
            DeleteCurrentScrap(db(), *set);
    }

    void deleteFew()
    {
        ++m_counts[4];
        const auto scrap = pickScrap();
        if (!scrap)
            return;
        auto set = ResultSet::open(db(), ResultSource::fromTable(QStringLiteral("MEMO_IDX"),
                                                                 QStringLiteral(" WHERE DocNo BETWEEN ? AND ?"),
                                                                 {int(scrap->docNo), int(scrap->docNo) + 2}));
        DeleteAllResults(db(), *set);
    }

    void changePictures()
    {
        ++m_counts[5];
        const auto scrap = pickScrap();
        if (!scrap)
            return;
        if (scrap->skID != 0 && m_rng.bounded(3) == 0) {
            const QList<PictureEntry> pictures = ListPictures(db(), scrap->skID);
            if (!pictures.isEmpty()) {
                DeletePicture(db(), scrap->rowid, scrap->skID, pictures[m_rng.bounded(int(pictures.size()))].rowid);
                return;
            }
        }
        AttachPicture(db(), scrap->rowid, scrap->skID, QStringLiteral("貼り付けた写真"), m_jpeg);
    }

    void renumberTree()
    {
        ++m_counts[6];
        if (!WriteClassTree(db(), rotatedClasses(storedClasses(db())), true))
            throw std::runtime_error("the class tree could not be written");
    }

    void saveEdition()
    {
        ++m_counts[7];
        const auto scrap = pickScrap();
        if (!scrap)
            return;
        const QString target = m_editions + QStringLiteral("/edition.mdb");
        QFile::remove(target);
        auto listed = ResultSet::open(db(), ResultSource::fromTable(QStringLiteral("MEMO_IDX"),
                                                                    QStringLiteral(" WHERE DocNo BETWEEN ? AND ?"),
                                                                    {int(scrap->docNo), int(scrap->docNo) + 4}));
        SavedEditionWriter writer;
        if (!writer.create(target) || !writer.copy(db(), *listed, {}))
            throw std::runtime_error("a saved edition could not be written");
    }

    IndexKeeper m_keeper; // outlives the session's connection, which it observes
    Session m_session;
    QRandomGenerator m_rng;
    QString m_editions;
    QList<std::pair<QString, QString>> m_levels;
    QByteArray m_jpeg;
    std::array<int, 8> m_counts{};
};

int runWorker(const QString& path, quint32 seed, int steps)
{
    Worker worker(path, seed);
    print(stdout, QStringLiteral("ready"));
    for (int done = 0; steps == 0 || done < steps; ++done)
        worker.step();
    print(stderr, worker.tally());
    return 0;
}

struct Invariant {
    const char* name;
    const char* offenders; // counts the rows that break it
};

const Invariant kInvariants[] = {
    {"index row without body",
     "SELECT count(*) FROM MEMO_IDX i WHERE NOT EXISTS (SELECT 1 FROM MEMO_DAT d WHERE d.pfID = i.pfID)"},
    {"body without index row",
     "SELECT count(*) FROM MEMO_DAT d WHERE NOT EXISTS (SELECT 1 FROM MEMO_IDX i WHERE i.pfID = d.pfID)"},
    {"mark without body",
     "SELECT count(*) FROM MEMO_UNDERLINE u WHERE NOT EXISTS (SELECT 1 FROM MEMO_DAT d WHERE d.pfID = u.pfID)"},
    {"picture set without pictures", "SELECT count(*) FROM MEMO_IDX i WHERE i.skID <> 0 AND NOT EXISTS "
                                     "(SELECT 1 FROM PHOTO_DRA p WHERE p.skID = i.skID)"},
    {"scrap filed under no class", "SELECT count(*) FROM MEMO_IDX i WHERE i.LevNo <> 1 AND NOT EXISTS "
                                   "(SELECT 1 FROM extraNodeMEMO n WHERE n.ndMEMO = i.LevNo)"},
    {"counter row missing or doubled", "SELECT abs(count(*) - 1) FROM IDno"},
    {"counter behind the numbers in use",
     "SELECT count(*) FROM IDno WHERE DocNo < (SELECT coalesce(max(DocNo), 0) FROM MEMO_IDX) "
     "OR pfID < (SELECT coalesce(max(pfID), 0) FROM MEMO_IDX) "
     "OR skID < max((SELECT coalesce(max(skID), 0) FROM MEMO_IDX), (SELECT coalesce(max(skID), 0) FROM PHOTO_DRA))"},
    {"body index log unreadable", "SELECT 0 FROM (SELECT count(*) FROM zettora_index_log)"},
};

struct Verdict {
    QString damage;       // empty when integrity_check says ok
    QStringList breaches; // the invariants broken, with their offending row counts
    QString rows;         // a digest of what the worker's writes change, to tell whether any commit was reached
};

// Opening and checking the index write nothing of these, so they differ from the original's only after a commit.
constexpr char kRowsDigest[] =
    "SELECT (SELECT group_concat(DocNo || '/' || pfID || '/' || skID) FROM IDno) || ' ' || "
    "(SELECT count(*) FROM MEMO_IDX) || ' ' || (SELECT total(length(a01)) FROM MEMO_DAT) || ' ' || "
    "(SELECT count(*) FROM MEMO_UNDERLINE) || ' ' || (SELECT count(*) FROM PHOTO_DRA) || ' ' || "
    "(SELECT nName FROM extraNodeMEMO WHERE ndMEMO = 2)";

// Opens the file read-write, as the program would after the crash, so that a leftover journal is rolled back first.
Verdict checkCollection(const QString& path)
{
    Verdict verdict;
    std::unique_ptr<Connection> connection;
    try {
        connection = Connection::openExisting(path);
        BodyIndex::registerFunctions(*connection);
        Query integrity(*connection, QStringLiteral("PRAGMA integrity_check"));
        QStringList lines;
        while (integrity.next())
            lines.push_back(integrity.text(0));
        if (lines != QStringList{QStringLiteral("ok")})
            verdict.damage = lines.join(QStringLiteral("; "));
    } catch (const DbError& e) {
        verdict.damage = e.message();
        return verdict;
    }
    try {
        Query rows(*connection, QString::fromLatin1(kRowsDigest));
        if (rows.next())
            verdict.rows = rows.text(0);
    } catch (const DbError&) {
        // What cannot be read is counted by the invariants below.
    }
    for (const Invariant& invariant : kInvariants) {
        const QString name = QString::fromLatin1(invariant.name);
        try {
            Query offenders(*connection, QString::fromLatin1(invariant.offenders));
            if (!offenders.next())
                verdict.breaches.push_back(name + QStringLiteral(": no answer"));
            else if (const qint64 count = offenders.integer(0); count != 0)
                verdict.breaches.push_back(name + QStringLiteral(": %1 rows").arg(count));
        } catch (const DbError& e) {
            verdict.breaches.push_back(name + QStringLiteral(": ") + e.message());
        }
    }
    return verdict;
}

void report(const QString& path, const Verdict& verdict)
{
    if (!verdict.damage.isEmpty())
        print(stderr, path + QStringLiteral(": damaged: ") + verdict.damage);
    for (const QString& breach : verdict.breaches)
        print(stderr, path + QStringLiteral(": ") + breach);
}

int runCheck(const QString& path)
{
    const Verdict verdict = checkCollection(path);
    report(path, verdict);
    const bool damaged = !verdict.damage.isEmpty();
    print(stdout,
          QStringLiteral("checked=1 damaged=%1 broken_invariants=%2").arg(int(damaged)).arg(verdict.breaches.size()));
    return damaged || !verdict.breaches.isEmpty() ? 1 : 0;
}

struct TrialOptions {
    int trials = 1000;
    int scraps = 300;
    quint32 seed = 20240601;
    int maxDelayMs = 400;
};

[[noreturn]] void workerFailed(QProcess& worker, const QString& what)
{
    const QString output = QString::fromUtf8(worker.readAllStandardError()).trimmed();
    throw std::runtime_error(QStringLiteral("the worker %1 (exit %2)\n%3")
                                 .arg(what)
                                 .arg(worker.exitCode())
                                 .arg(output.right(4000))
                                 .toStdString());
}

// Starts the worker on path and kills it delayMs after it began writing.
void runOneTrial(const QString& path, quint32 seed, int delayMs)
{
    QProcess worker;
    worker.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--work"), path, QStringLiteral("--seed"), QString::number(seed)});
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
    if (worker.readLine().trimmed() != "ready")
        workerFailed(worker, QStringLiteral("said something other than ready"));
    // Ending by itself, whether by an exception or a sanitizer's report, is a fault of the worker, not of the file.
    if (worker.waitForFinished(delayMs))
        workerFailed(worker, QStringLiteral("ended before it was killed"));
    worker.kill();
    worker.waitForFinished(-1);
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
    generateCollection(original, generator);
    if (const Verdict before = checkCollection(original); !before.damage.isEmpty() || !before.breaches.isEmpty()) {
        report(original, before);
        throw std::runtime_error("the generated collection fails the checks before any trial");
    }

    QRandomGenerator rng(options.seed);
    const QString copy = folder.filePath(QStringLiteral("trial.mdb"));
    std::optional<QTemporaryDir> kept;
    const QString originalRows = checkCollection(original).rows;
    int damaged = 0, broken = 0, keptFiles = 0, changed = 0;
    for (int trial = 1; trial <= options.trials; ++trial) {
        const quint32 workerSeed = rng.generate();
        const int delayMs = rng.bounded(kMinDelayMs, std::max(kMinDelayMs, options.maxDelayMs) + 1);
        QFile::remove(copy);
        QFile::remove(copy + QStringLiteral("-journal"));
        QDir(copy + QStringLiteral("-editions")).removeRecursively();
        if (!QFile::copy(original, copy))
            throw std::runtime_error("cannot copy the generated collection");
        runOneTrial(copy, workerSeed, delayMs);

        // The journal the kill left is kept with a failing file: it is what the next opening rolls back.
        const QString journal = copy + QStringLiteral("-journal");
        const bool hadJournal = QFile::exists(journal);
        QTemporaryDir beforeCheck(folder.filePath(QStringLiteral("pending-XXXXXX")));
        QFile::copy(copy, beforeCheck.filePath(QStringLiteral("trial.mdb")));
        if (hadJournal)
            QFile::copy(journal, beforeCheck.filePath(QStringLiteral("trial.mdb-journal")));

        const Verdict verdict = checkCollection(copy);
        changed += verdict.rows == originalRows ? 0 : 1;
        damaged += verdict.damage.isEmpty() ? 0 : 1;
        broken += verdict.breaches.isEmpty() ? 0 : 1;
        if (verdict.damage.isEmpty() && verdict.breaches.isEmpty())
            continue;
        const QString name = QStringLiteral("trial-%1-seed-%2-after-%3ms").arg(trial).arg(workerSeed).arg(delayMs);
        report(name, verdict);
        if (keptFiles < kKeptFiles) {
            if (!kept) {
                kept.emplace(QDir::temp().filePath(QStringLiteral("zettora-crashtrials-XXXXXX")));
                kept->setAutoRemove(false);
                print(stderr, QStringLiteral("keeping failing files, as the kill left them, in ") + kept->path());
            }
            QFile::copy(beforeCheck.filePath(QStringLiteral("trial.mdb")),
                        kept->filePath(name + QStringLiteral(".mdb")));
            if (hadJournal)
                QFile::copy(beforeCheck.filePath(QStringLiteral("trial.mdb-journal")),
                            kept->filePath(name + QStringLiteral(".mdb-journal")));
            ++keptFiles;
        }
    }
    // A kill before the first commit proves little: how many trials left a changed file tells whether the delays fit.
    print(stderr, QStringLiteral("%1 of %2 trials left a changed collection").arg(changed).arg(options.trials));
    print(stdout,
          QStringLiteral("trials=%1 damaged=%2 broken_invariants=%3").arg(options.trials).arg(damaged).arg(broken));
    return damaged == 0 && broken == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // The generator encodes pictures as JPEG, which needs a platform, but the trials must run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("zettora-crashtrials"));

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
    const QCommandLineOption workOption(
        QStringLiteral("work"), QStringLiteral("Be the worker: write to FILE until killed."), QStringLiteral("FILE"));
    const QCommandLineOption stepsOption(QStringLiteral("steps"),
                                         QStringLiteral("With --work, stop after N writes (default: never)."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption checkOption(QStringLiteral("check"), QStringLiteral("Only check FILE and stop."),
                                         QStringLiteral("FILE"));
    parser.addOptions({trialsOption, scrapsOption, seedOption, delayOption, workOption, stepsOption, checkOption});
    parser.process(app);

    TrialOptions options;
    bool trialsOk = false, scrapsOk = false, seedOk = false, delayOk = false, stepsOk = false;
    options.trials = parser.value(trialsOption).toInt(&trialsOk);
    options.scraps = parser.value(scrapsOption).toInt(&scrapsOk);
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    options.maxDelayMs = parser.value(delayOption).toInt(&delayOk);
    const int steps = parser.value(stepsOption).toInt(&stepsOk);
    if (!trialsOk || !scrapsOk || !seedOk || !delayOk || !stepsOk || options.trials < 1 || options.scraps < 10 ||
        options.scraps > 32767 || steps < 0) {
        print(stderr, QStringLiteral("zettora-crashtrials: bad arguments; see --help"));
        return 2;
    }

    try {
        if (parser.isSet(workOption))
            return runWorker(parser.value(workOption), options.seed, steps);
        if (parser.isSet(checkOption))
            return runCheck(parser.value(checkOption));
        return runTrials(options);
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("zettora-crashtrials: ") + e.message());
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("zettora-crashtrials: ") + QString::fromUtf8(e.what()));
    }
    return 1;
}
