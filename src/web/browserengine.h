#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;
class UserDialogs;

// The web engine as the browser pane uses it. It lives in a module of its own, loaded once the main window has
// painted, because merely linking the engine costs start-up ~70 ms before the first frame.
class BrowserEngine {
public:
    struct Events {
        std::function<void()> completed;
        std::function<void(const QString&)> clipText;
        std::function<void()> clipPicture;
    };

    virtual ~BrowserEngine() = default;

    // The engine's view, a child of the parent it was made with.
    virtual QWidget* view() const = 0;
    virtual void load(const QUrl& url) = 0;
    // Each does nothing when there is nowhere to go.
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual QUrl url() const = 0;
    virtual QString title() const = 0;
    virtual void setStartPageHtml(const QString& html) = 0;
    virtual void printPage() = 0;
    virtual void copySelection() = 0;
    virtual QString selectedText() const = 0;
    // Saves the page shown as an MHTML file at path; done is told why it failed, or nothing once it is complete.
    virtual void savePage(const QString& path, std::function<void(const QString& problem)> done) = 0;
    // Shows the MHTML file at path; nothing is fetched from the network for it.
    virtual void showSavedPage(const QString& path) = 0;
};

// The module's one entry point, looked up by name.
using CreateBrowserEngine = BrowserEngine* (*)(UserDialogs& dialogs, QWidget* parent, BrowserEngine::Events events);
inline constexpr char kCreateBrowserEngine[] = "zettoraCreateBrowserEngine";
