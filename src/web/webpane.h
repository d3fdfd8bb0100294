#pragma once

#include "common/result.h"
#include "webpagesource.h"

#include <QWidget>

#include <functional>

// The browser of the web tab, as the main window drives it. The program has one real pane (the web engine); tests
// put a fake in its place, so that only the web tests start the engine.
class WebPane : public QWidget, public WebPageSource {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The address as the user typed or stored it; the pane reads it the way a browser's address box does.
    virtual void navigate(const QString& address) = 0;
    // Each does nothing when there is nowhere to go.
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void goHome() = 0;
    virtual void goSearch() = 0;
    // The start page's content, from the open collection; shown again at once if it is on screen.
    virtual void setHomePage(const QString& html) = 0;
    // To the default printer without a dialog; where there is none, into a PDF file the user is told of.
    virtual void printPage() = 0;
    // The selection of the page onto the clipboard, replacing what was there.
    virtual void copySelection() = 0;
    // The text selected on the page now (the clipboard receives it only a moment after copySelection()).
    virtual QString selectedText() const = 0;
    // Saves the page shown as one MHTML file beside the window; done is given the file's path (the caller removes
    // the file) or why there is none, later, never within this call.
    virtual void savePageCopy(std::function<void(Result<QString>)> done) = 0;
    // Shows a saved page (MHTML) in place of the live one, fetching nothing from the network; address is the page's
    // own, which currentUrl() gives while it is shown.
    virtual void showSavedPage(const QByteArray& mhtml, const QString& address) = 0;
    virtual bool showsSavedPage() const = 0;

Q_SIGNALS:
    // A page finished loading: currentUrl() and currentTitle() are its.
    void navigationCompleted();
    // The user asked, from the page's context menu, to make a scrap of this text.
    void textClipRequested(const QString& text);
    // The user asked to attach a picture of the page; it is on the clipboard now.
    void pictureClipRequested();
};
