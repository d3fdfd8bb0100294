#include "quitonsignaltest.h"

#include "common/quitonsignal.h"

#include <QDialog>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <csignal>

void QuitOnSignalTest::aSignal_closesTheWindowOnceTheDialogBeingAnsweredEnds()
{
    QWidget window;
    window.show();
    QuitOnSignal quit(window);
    bool visibleWhileAsked = false;
    // The program's own loop runs around everything, as QApplication::exec() does.
    QEventLoop programLoop;
    QTimer::singleShot(0, &programLoop, [&] {
        QDialog asked(&window);
        QTimer::singleShot(0, &asked, [&] {
            std::raise(SIGTERM);
            QTest::qWait(500);
            visibleWhileAsked = window.isVisible() && asked.isVisible();
            asked.accept();
        });
        asked.exec();
    });
    QTimer poll;
    connect(&poll, &QTimer::timeout, &programLoop, [&] {
        if (!window.isVisible())
            programLoop.quit();
    });
    poll.start(20);
    QTimer::singleShot(5000, &programLoop, &QEventLoop::quit);
    programLoop.exec();
    QVERIFY(!window.isVisible());
    QVERIFY(visibleWhileAsked);
}
