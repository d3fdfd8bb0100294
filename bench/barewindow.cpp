// zettora-bare-window: an empty main window and nothing else, the yardstick for the program's start-up.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

namespace {

class BareWindow final : public QMainWindow {
protected:
    bool event(QEvent* event) override
    {
        const bool handled = QMainWindow::event(event);
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, this, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
            });
        }
        return handled;
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    BareWindow window;
    window.resize(1024, 768);
    window.show();
    return QApplication::exec();
}
