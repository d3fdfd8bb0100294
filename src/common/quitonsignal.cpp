#include "quitonsignal.h"

#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// How often a close put off by a dialog's own loop is tried again.
constexpr int kRetryMs = 200;
// The handler may only write: the window is closed from the event loop, which reads the other end.
int signalSockets[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

QuitOnSignal::QuitOnSignal(QWidget& window)
    : m_window(window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalSockets[1], &byte, 1);
        closeWindow();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

void QuitOnSignal::closeWindow()
{
    // Inside a dialog's own loop (a question, a colour or file chooser) the close would delete windows the dialog
    // stands on, the dialog among them: it waits until the user has ended that dialog.
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(kRetryMs, this, &QuitOnSignal::closeWindow);
        return;
    }
    m_window.close();
}

QuitOnSignal::~QuitOnSignal()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
    delete m_notifier;
    for (int& socket : signalSockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
}
