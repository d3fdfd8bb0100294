#include "childwindows.h"

#include "pictures/pictureswindow.h"

#include <QDialog>
#include <QScreen>

ChildWindows::ChildWindows(QWidget* owner, std::function<void(int)> showHelp)
    : m_owner(owner)
    , m_showHelp(std::move(showHelp))
{}

void ChildWindows::place(Kind kind, QWidget* window, QWidget* opener)
{
    close(kind);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_windows[std::size_t(kind)] = window;
    centre(window, opener ? opener : m_owner);
}

void ChildWindows::show(Kind kind, QWidget* window)
{
    // The sheet, the picker, the pictures and the full-text search stand beside the main window; the rest hold it.
    const bool beside =
        kind == Kind::Registration || kind == Kind::Picker || kind == Kind::Pictures || kind == Kind::FullText;
    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && !beside)
        dialog->open();
    else
        window->show();
}

void ChildWindows::close(Kind kind)
{
    if (QWidget* window = m_windows[std::size_t(kind)])
        window->close();
}

void ChildWindows::close(const QList<Kind>& kinds)
{
    for (Kind kind : kinds)
        close(kind);
}

void ChildWindows::closeAll()
{
    for (const QPointer<QWidget>& window : m_windows) {
        if (window && window->isVisible())
            window->close();
    }
}

void ChildWindows::closeAllButWaitingPicture()
{
    const auto* pictures = find<PicturesWindow>(Kind::Pictures);
    const bool keep = pictures && !pictures->isBoundToScrap() && pictures->waitingPicture();
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (!(keep && Kind(i) == Kind::Pictures) && m_windows[i] && m_windows[i]->isVisible())
            m_windows[i]->close();
    }
}

void ChildWindows::centre(QWidget* window, const QWidget* opener)
{
    if (!opener)
        return;
    const QRect frame = opener->frameGeometry();
    QRect placed(QPoint(), window->frameGeometry().size().expandedTo(window->size()));
    placed.moveCenter(frame.center());
    // A window never opens partly off the screen its opener is on.
    if (const QScreen* screen = opener->screen()) {
        const QRect available = screen->availableGeometry();
        placed.moveLeft(std::clamp(placed.left(), available.left(),
                                   std::max(available.left(), available.right() - placed.width())));
        placed.moveTop(
            std::clamp(placed.top(), available.top(), std::max(available.top(), available.bottom() - placed.height())));
    }
    window->move(placed.topLeft());
}
