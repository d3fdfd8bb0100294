#include "fuzztest.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <list>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kPageSize = 4096; // a Jet 4 page
constexpr int kTimeLimitMs = 20000;   // far above a sanitized conversion of the largest sample; past it, a hang
constexpr int kAtOnce = 2;            // one child per core
constexpr int kSanitizerExit = 86;    // ASan and UBSan end with 1 by default, which a refused file also uses

enum class Damage { Flips, EarlyFlips, Zeroed, Filled, PageCut, MidPageCut };

struct Recipe {
    const char* sample;
    Damage damage;
    const char* name;
    int count;
};

// Mostly the small samples, so that the few hundred runs stay quick under the sanitizers.
const Recipe kRecipes[] = {
    {"empty-new.mdb", Damage::Flips, "flips", 45},
    {"empty-new.mdb", Damage::EarlyFlips, "early-flips", 30},
    {"empty-new.mdb", Damage::Zeroed, "zeroed", 25},
    {"empty-new.mdb", Damage::Filled, "filled", 25},
    {"empty-new.mdb", Damage::PageCut, "page-cut", 15},
    {"empty-new.mdb", Damage::MidPageCut, "mid-page-cut", 20},
    {"saved-edition.mdb", Damage::Flips, "flips", 45},
    {"saved-edition.mdb", Damage::EarlyFlips, "early-flips", 30},
    {"saved-edition.mdb", Damage::Zeroed, "zeroed", 25},
    {"saved-edition.mdb", Damage::Filled, "filled", 25},
    {"saved-edition.mdb", Damage::PageCut, "page-cut", 15},
    {"saved-edition.mdb", Damage::MidPageCut, "mid-page-cut", 20},
    {"collection-small.mdb", Damage::Flips, "flips", 18},
    {"collection-small.mdb", Damage::EarlyFlips, "early-flips", 14},
    {"collection-small.mdb", Damage::Zeroed, "zeroed", 12},
    {"collection-small.mdb", Damage::Filled, "filled", 12},
    {"collection-small.mdb", Damage::PageCut, "page-cut", 6},
    {"collection-small.mdb", Damage::MidPageCut, "mid-page-cut", 8},
};

struct Variant {
    QString name;
    QString sample;
    Damage damage;
    quint32 seed;
};

std::vector<Variant> variants()
{
    std::vector<Variant> all;
    quint32 seed = 1;
    for (const Recipe& recipe : kRecipes) {
        const QString base = QString::fromLatin1(recipe.sample).chopped(4);
        for (int i = 0; i < recipe.count; ++i) {
            all.push_back({u"%1-%2-%3.mdb"_s.arg(base, QLatin1StringView(recipe.name)).arg(i, 2, 10, QChar(u'0')),
                           QString::fromLatin1(recipe.sample), recipe.damage, seed++});
        }
    }
    return all;
}

QByteArray sampleBytes(const QString& sample)
{
    static QHash<QString, QByteArray> read;
    if (!read.contains(sample)) {
        QFile file(QStringLiteral(ZETTORA_LEGACY_SAMPLES) + u'/' + sample);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the sample %s", qPrintable(sample));
        read.insert(sample, file.readAll());
    }
    return read.value(sample);
}

QByteArray damaged(const Variant& variant)
{
    QByteArray bytes = sampleBytes(variant.sample);
    QRandomGenerator random(variant.seed);
    const qsizetype pages = bytes.size() / kPageSize;
    switch (variant.damage) {
    case Damage::Flips:
    case Damage::EarlyFlips: {
        // The first pages hold the header and the catalogue, which every read goes through.
        const qsizetype span = variant.damage == Damage::Flips ? bytes.size() : std::min(bytes.size(), 16 * kPageSize);
        for (int n = random.bounded(1, 17); n > 0; --n)
            bytes[random.bounded(span)] ^= char(random.bounded(1, 256));
        break;
    }
    case Damage::Zeroed:
    case Damage::Filled: {
        const qsizetype at = random.bounded(bytes.size());
        const qsizetype length = std::min(qsizetype(random.bounded(1, 2 * kPageSize)), bytes.size() - at);
        std::fill_n(bytes.begin() + at, length, variant.damage == Damage::Zeroed ? '\0' : '\xff');
        break;
    }
    case Damage::PageCut:
        bytes.truncate(random.bounded(qsizetype(1), pages) * kPageSize);
        break;
    case Damage::MidPageCut:
        bytes.truncate(random.bounded(pages) * kPageSize + random.bounded(1, int(kPageSize)));
        break;
    }
    return bytes;
}

QString integrityOf(const QString& path)
{
    sqlite3* handle = nullptr;
    QString result = u"cannot open"_s;
    if (sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        else
            result = QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_finalize(statement);
    }
    sqlite3_close(handle);
    return result;
}

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto append = [&environment](const QString& name, const QString& options) {
        const QString inherited = environment.value(name);
        environment.insert(name, inherited.isEmpty() ? options : inherited + u':' + options);
    };
    append(u"ASAN_OPTIONS"_s, u"exitcode=%1"_s.arg(kSanitizerExit));
    append(u"UBSAN_OPTIONS"_s, u"halt_on_error=1:exitcode=%1"_s.arg(kSanitizerExit));
    return environment;
}

struct Run {
    Variant variant;
    QString file;
    QString output;
    std::unique_ptr<QProcess> process;
    QTimer limit;
    bool hung = false;
};

// What was wrong with how the run ended, or nothing.
QString verdict(Run& run)
{
    const QStringList left = QDir(run.output).entryList(QDir::Files | QDir::Hidden);
    const QString stderrText = QString::fromUtf8(run.process->readAllStandardError()).trimmed();
    if (run.hung)
        return u"no end within %1 s"_s.arg(kTimeLimitMs / 1000);
    if (run.process->exitStatus() == QProcess::CrashExit)
        return u"killed by signal %1\n%2"_s.arg(run.process->exitCode()).arg(stderrText);
    switch (run.process->exitCode()) {
    case 0: {
        if (left != QStringList{u"new.mdb"_s})
            return u"converted, leaving %1"_s.arg(left.join(u", "_s));
        const QString integrity = integrityOf(run.output + u"/new.mdb"_s);
        return integrity == u"ok"_s ? QString() : u"converted into a damaged file: "_s + integrity;
    }
    case 1:
        if (stderrText.isEmpty())
            return u"refused without a message"_s;
        return left.isEmpty() ? QString() : u"refused, leaving %1"_s.arg(left.join(u", "_s));
    default:
        return u"exit code %1\n%2"_s.arg(run.process->exitCode()).arg(stderrText);
    }
}

// Beside the test executable, so that the copy outlives the test's temporary folders.
QString keep(const Run& run, const QString& why)
{
    const QString folder = QCoreApplication::applicationDirPath() + u"/fuzz-failures"_s;
    QDir().mkpath(folder);
    const QString copy = folder + u'/' + run.variant.name;
    QFile::remove(copy);
    QFile::copy(run.file, copy);
    QFile log(copy + u".txt"_s);
    if (log.open(QIODevice::WriteOnly | QIODevice::Truncate))
        log.write(why.toUtf8());
    return copy;
}

} // namespace

void ImportFuzzTest::damagedFiles_convertOrFailCleanly()
{
    const QString program = QStringLiteral(ZETTORA_PROGRAM);
    QVERIFY2(QFile::exists(program), qPrintable(program));
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const std::vector<Variant> all = variants();
    QVERIFY(all.size() >= 200);
    const QProcessEnvironment environment = childEnvironment();

    QStringList failures;
    QEventLoop loop;
    std::list<Run> runs; // kept to the end: a finished process is not destroyed inside its own signal
    std::size_t next = 0;
    int running = 0;
    std::function<void()> startMore = [&] {
        for (; running < kAtOnce && next < all.size(); ++next) {
            Run* run = &runs.emplace_back();
            run->variant = all[next];
            run->file = scratch.filePath(run->variant.name);
            run->output = scratch.filePath(u"out-"_s + run->variant.name);
            QFile file(run->file);
            if (!file.open(QIODevice::WriteOnly) || file.write(damaged(run->variant)) < 0 ||
                !QDir().mkpath(run->output)) {
                failures << run->variant.name + u": cannot be written"_s;
                continue;
            }
            file.close();
            run->process = std::make_unique<QProcess>();
            run->process->setProcessEnvironment(environment);
            run->limit.setSingleShot(true);
            QObject::connect(&run->limit, &QTimer::timeout, [run] {
                run->hung = true;
                run->process->kill();
            });
            QObject::connect(run->process.get(), &QProcess::finished, [&, run] {
                run->limit.stop();
                if (const QString why = verdict(*run); !why.isEmpty())
                    failures << u"%1: %2\nkept at %3"_s.arg(run->variant.name, why, keep(*run, why));
                QFile::remove(run->file);
                QDir(run->output).removeRecursively();
                --running;
                // Once this process's signal has returned, so that the next start does not nest inside it.
                QTimer::singleShot(0, &loop, [&] {
                    startMore();
                    if (running == 0)
                        loop.quit();
                });
            });
            run->process->start(program, {u"--import"_s, run->file, run->output + u"/new.mdb"_s});
            if (!run->process->waitForStarted()) {
                failures << run->variant.name + u": the program did not start"_s;
                continue;
            }
            run->limit.start(kTimeLimitMs);
            ++running;
        }
    };
    startMore();
    if (running > 0)
        loop.exec();
    QVERIFY2(failures.isEmpty(), qPrintable(u"%1 of %2 damaged files:\n"_s.arg(failures.size()).arg(all.size()) +
                                            failures.join(u"\n\n"_s)));
}
