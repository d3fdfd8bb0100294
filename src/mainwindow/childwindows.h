#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

// The windows the main window opens, one of each kind at a time: each is made with the main window as parent,
// deleted when it closes, centred on the window that opened it, given its help, and shown (dialogs other than the
// registration sheet, the picker, the pictures and the full-text search hold the main window).
class ChildWindows final {
public:
    enum class Kind {
        Registration,
        Picker,
        Pictures,
        FullText,
        TreeEditor,
        LevelsEditor,
        TextSearch,
        DateSearch,
        ImportanceFilter,
        MarkerColours,
        Version,
        Count
    };

    // showHelp shows a help topic for a window that asks for one.
    ChildWindows(QWidget* owner, std::function<void(int)> showHelp);

    // Takes a window just made (with the main window as parent) into its place, closing the one that stood there,
    // and shows it over opener. Windows with a helpRequested(int) signal get their help.
    template <typename Window> Window* open(Kind kind, Window* window, QWidget* opener = nullptr)
    {
        place(kind, window, opener);
        if constexpr (requires { &Window::helpRequested; })
            QObject::connect(window, &Window::helpRequested, m_owner, m_showHelp);
        show(kind, window);
        return window;
    }
    template <typename Window = QWidget> Window* find(Kind kind) const
    {
        return qobject_cast<Window*>(m_windows[std::size_t(kind)].data());
    }
    void close(Kind kind);
    void close(const QList<Kind>& kinds);
    // Every window but help, which stays beside the program.
    void closeAll();
    // The same, but a pictures window of no scrap, holding a picture for the next registration, stays with it.
    void closeAllButWaitingPicture();

    // Centres window on opener (or the main window), inside opener's screen.
    static void centre(QWidget* window, const QWidget* opener);

private:
    void place(Kind kind, QWidget* window, QWidget* opener);
    static void show(Kind kind, QWidget* window);

    QWidget* m_owner;
    std::function<void(int)> m_showHelp;
    std::array<QPointer<QWidget>, std::size_t(Kind::Count)> m_windows;
};
