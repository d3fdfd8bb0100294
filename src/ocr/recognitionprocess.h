#pragma once

#include "recognition.h"

#include <QString>

#include <functional>
#include <memory>

class QProcess;

namespace Ocr {

// `zettora --recognise-pictures`: reads pictures from stdin and writes their text to stdout, each a frame of a 32-bit
// length and the bytes, until stdin ends. beforeEach sees each picture before it is read (tests make it crash).
[[nodiscard]] bool isRecognitionCommand(int argc, char* argv[]);
int runRecognitionCommand(const std::function<void(const QByteArray&)>& beforeEach = {});

inline constexpr char kCommandOption[] = "--recognise-pictures";

} // namespace Ocr

// The engine trusts the pictures it reads, so it runs as a child process of the program: a picture that crashes or
// hangs it costs that picture, never the window. One child reads picture after picture; it is started again after
// a failure. Used on one thread.
class RecognitionProcess final {
public:
    RecognitionProcess(QString program, int timeoutMs);
    Q_DISABLE_COPY_MOVE(RecognitionProcess)
    ~RecognitionProcess();

    // What the caller wants while the child works, asked often: a paused child is held (SIGSTOP) and its time does
    // not count; a stopped one is ended and the failure's detail is kStopped.
    enum class Wish { Go, Pause, Stop };
    [[nodiscard]] Result<Recognition> recognise(const QByteArray& bytes, const std::function<Wish()>& wish);

    static constexpr char kStopped[] = "stopped";
    // The reader program cannot run at all (missing, or ended at once without a signal): no picture is to blame.
    static constexpr char kUnavailable[] = "reader unavailable";

private:
    [[nodiscard]] bool ensureStarted();
    void end();

    QString m_program;
    int m_timeoutMs;
    std::unique_ptr<QProcess> m_process;
};
