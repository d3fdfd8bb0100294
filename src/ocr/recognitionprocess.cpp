#include "recognitionprocess.h"

#include "ocrlog.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <QtEndian>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using Ocr::frame;
using Ocr::kFrameHeader;
using Ocr::kLargestFrame;

namespace {

constexpr int kPollMs = 50;

const QString kCannotRead = QStringLiteral("画像の文字を認識できませんでした。");

} // namespace

namespace Ocr {

bool isRecognitionCommand(int argc, char* argv[])
{
    return argc > 1 && std::strcmp(argv[1], kCommandOption) == 0;
}

} // namespace Ocr

RecognitionProcess::RecognitionProcess(QString program, int timeoutMs)
    : m_program(std::move(program))
    , m_timeoutMs(timeoutMs)
{}

RecognitionProcess::~RecognitionProcess()
{
    end();
}

bool RecognitionProcess::ensureStarted()
{
    if (m_process && m_process->state() == QProcess::Running)
        return true;
    end();
    m_process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // One core for the engine: the window and the user's other work keep the rest.
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    m_process->setProcessEnvironment(environment);
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A group of its own: Ctrl+C in the terminal or a logout's signal to the program's group ends the program, which
    // then stops the reader; dying first, the reader would have its picture stored as the cause of a crash.
    // In a background group, a reader writing its warnings to the terminal would be stopped under "stty tostop".
    m_process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::signal(SIGTTOU, SIG_IGN);
    });
    m_process->start(m_program, {QString::fromLatin1(Ocr::kCommandOption)});
    if (m_process->waitForStarted(10000))
        return true;
    qCWarning(lcOcr) << "cannot start" << m_program << m_process->errorString();
    return false;
}

void RecognitionProcess::end()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(1000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
}

Result<Recognition> RecognitionProcess::recognise(const QByteArray& bytes, const std::function<Wish()>& wish)
{
    if (!ensureStarted())
        return Failure{kCannotRead, QStringLiteral("文字認識の処理を起動できません。"),
                       QString::fromLatin1(kUnavailable)};
    m_process->write(frame(bytes));
    QByteArray answer;
    qint64 remaining = m_timeoutMs;
    QDeadlineTimer deadline(remaining);
    bool held = false;
    for (;;) {
        const Wish now = wish ? wish() : Wish::Go;
        if (now == Wish::Stop) {
            if (held)
                ::kill(pid_t(m_process->processId()), SIGCONT);
            m_process->kill();
            end();
            return Failure{kCannotRead, {}, QString::fromLatin1(kStopped)};
        }
        if ((now == Wish::Pause) != held) {
            held = now == Wish::Pause;
            ::kill(pid_t(m_process->processId()), held ? SIGSTOP : SIGCONT);
            if (held)
                remaining = deadline.remainingTime();
            else
                deadline.setRemainingTime(remaining);
        }
        if (held) {
            QThread::msleep(kPollMs);
            continue;
        }
        if (m_process->bytesToWrite() > 0)
            m_process->waitForBytesWritten(kPollMs);
        else
            m_process->waitForReadyRead(kPollMs);
        answer += m_process->readAllStandardOutput();
        if (answer.size() >= kFrameHeader) {
            const quint32 size = qFromBigEndian<quint32>(answer.constData());
            if (size > kLargestFrame) {
                end();
                return Failure{kCannotRead, QStringLiteral("文字認識の処理から読めない答えが返りました。"),
                               QStringLiteral("frame too large")};
            }
            if (answer.size() >= kFrameHeader + qsizetype(size))
                return Ocr::decode(answer.mid(kFrameHeader, size));
        }
        if (m_process->state() != QProcess::Running) {
            const int code = m_process->exitCode();
            const auto status = m_process->exitStatus();
            end();
            // A picture that brings the engine down kills it with a signal; an exit of its own before any answer
            // (a library missing after a half-done upgrade) is the program's failure, not the picture's.
            if (status == QProcess::NormalExit && answer.isEmpty()) {
                qCWarning(lcOcr) << m_program << "ended before reading, exit code" << code;
                return Failure{kCannotRead, QStringLiteral("文字認識の処理を起動できません。"),
                               QString::fromLatin1(kUnavailable)};
            }
            return Failure{kCannotRead, QStringLiteral("この画像で文字認識の処理が異常終了しました。"),
                           QStringLiteral("the child ended: status %1 code %2").arg(int(status)).arg(code)};
        }
        if (deadline.hasExpired()) {
            m_process->kill();
            end();
            return Failure{kCannotRead, QStringLiteral("この画像の文字認識が終わりませんでした。"),
                           QStringLiteral("no answer within %1 ms").arg(m_timeoutMs)};
        }
    }
}
