// Start-up of the real program, from a new process to its first painted frame, against an empty main window.
#include "benchops.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr int kStartupRuns = 10;
constexpr int kLineTimeoutMs = 60000;

QString besideBench(const QString& relative)
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(relative);
    if (!QFileInfo(path).isExecutable())
        throw std::runtime_error("not built: " + path.toStdString());
    return QDir::cleanPath(path);
}

qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

// Resident kilobytes of a process and all its descendants (the engine runs its pages in child processes).
qint64 residentTreeKb(qint64 pid)
{
    qint64 total = residentKb(pid);
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (children.open(QIODevice::ReadOnly)) {
        for (const QByteArray& child : children.readAll().split(' ')) {
            if (!child.trimmed().isEmpty())
                total += residentTreeKb(child.trimmed().toLongLong());
        }
    }
    return total;
}

bool waitForLine(QProcess& process, const QByteArray& wanted, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            if (process.readLine().trimmed() == wanted)
                return true;
        }
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
    }
    return false;
}

struct Start {
    double ms = 0;
    qint64 paintedKb = 0;
    qint64 pageKb = 0;
    qint64 pageOwnKb = 0;
};

Start startOnce(const QString& program, bool waitForPage)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZETTORA_STARTUP_REPORT"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForStarted() || !waitForLine(process, "painted", kLineTimeoutMs))
        throw std::runtime_error("no first frame from " + program.toStdString());
    Start start;
    start.ms = double(timer.nsecsElapsed()) / 1e6;
    start.paintedKb = residentTreeKb(process.processId());
    if (waitForPage && waitForLine(process, "page", kLineTimeoutMs)) {
        QThread::msleep(500);
        start.pageKb = residentTreeKb(process.processId());
        start.pageOwnKb = residentKb(process.processId());
    }
    // Ended as a shutdown ends it, so the next start finds no lock left behind, as after a quit.
    process.terminate();
    if (!process.waitForFinished(kLineTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return start;
}

std::vector<double> startTimes(const QString& program, bool isProgram)
{
    startOnce(program, false); // warm-up: the files are in the page cache for every measured run alike
    std::vector<double> times;
    for (int i = 0; i < kStartupRuns; ++i)
        times.push_back(startOnce(program, false).ms);
    if (isProgram) {
        const Start withPage = startOnce(program, true);
        std::printf("op=startup_memory rss_painted_mb=%.1f rss_home_page_mb=%.1f rss_home_page_program_mb=%.1f\n",
                    withPage.paintedKb / 1024.0, withPage.pageKb / 1024.0, withPage.pageOwnKb / 1024.0);
        std::fflush(stdout);
    }
    return times;
}

} // namespace

void registerStartupOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(
        QStringLiteral("startup"),
        [](BenchContext&) { return startTimes(besideBench(QStringLiteral("../src/app/zettora")), true); },
        [](BenchContext&) { return startTimes(besideBench(QStringLiteral("zettora-bare-window")), false); }));
}
