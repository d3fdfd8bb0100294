#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

// A shutdown, a logout or `kill` (SIGTERM), a closed terminal (SIGHUP) and Ctrl+C (SIGINT) close the window as
// ファイル → 終了 does: every window saves what it holds, the collection closes and its lock goes. Without this the
// process ended where it stood and a caption being typed was lost. A dialog the user is answering is waited for.
// One per program.
class QuitOnSignal final : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QWidget& window);
    ~QuitOnSignal() override;

private:
    void closeWindow();

    QWidget& m_window;
    QSocketNotifier* m_notifier = nullptr;
};
