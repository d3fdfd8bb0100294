#include "startupreport.h"

#include "web/webpane.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class FirstPaintWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so the line is written once the frame has been painted and flushed, not before.
            QTimer::singleShot(0, this, [this] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                deleteLater();
            });
        }
        return false;
    }
};

} // namespace

void reportStartup(QWidget& window, WebPane& web)
{
    if (qEnvironmentVariableIsEmpty("ZETTORA_STARTUP_REPORT"))
        return;
    window.installEventFilter(new FirstPaintWatcher(&window));
    auto* once = new QObject(&web);
    QObject::connect(&web, &WebPane::navigationCompleted, once, [once] {
        std::fputs("page\n", stdout);
        std::fflush(stdout);
        once->deleteLater();
    });
}
