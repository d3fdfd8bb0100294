#include "startupreport.h"

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

void reportFirstPaint(QWidget& window)
{
    if (qEnvironmentVariableIsEmpty("ZETTORA_STARTUP_REPORT"))
        return;
    window.installEventFilter(new FirstPaintWatcher(&window));
}
