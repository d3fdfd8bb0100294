#pragma once

#include "webpane.h"

#include <QUrl>

#include <memory>

class BrowserEngine;
class QTemporaryDir;
class UserDialogs;

// The web tab's browser. The engine module is loaded after the pane's first painted frame (or at start()), so
// that the main window shows without waiting for it; what is asked before then is done once it runs.
class EngineWebPane final : public WebPane {
    Q_OBJECT
public:
    explicit EngineWebPane(UserDialogs& dialogs, QWidget* parent = nullptr);
    ~EngineWebPane() override;

    // Loads the engine now. False, with the reason logged, when its module cannot be loaded: the pane then stays
    // an empty page and the rest of the program works on.
    [[nodiscard]] bool start();
    // The engine's view once it runs, else null.
    QWidget* engineView() const;

    QString currentUrl() const override;
    QString currentTitle() const override;
    void navigate(const QString& address) override;
    void goBack() override;
    void goForward() override;
    void goHome() override;
    void goSearch() override;
    void setHomePage(const QString& html) override;
    void printPage() override;
    void copySelection() override;
    QString selectedText() const override;
    void savePageCopy(std::function<void(Result<QString>)> done) override;
    void showSavedPage(const QByteArray& mhtml, const QString& address) override;
    bool showsSavedPage() const override;
    // Where saved pages are written on their way into a scrap and back; a private temporary folder unless set.
    void setPageFolder(const QString& folder) { m_pageFolderPath = folder; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void load(const QUrl& url);
    QString pageFolder();

    UserDialogs& m_dialogs;
    std::unique_ptr<BrowserEngine> m_engine;
    bool m_startTried = false;
    QString m_homeHtml;
    // What was asked before the engine ran; the last request wins, as it would in a running browser.
    QUrl m_pendingUrl;
    std::unique_ptr<QTemporaryDir> m_pageFolder;
    QString m_pageFolderPath;
    int m_pageFiles = 0;
    QUrl m_savedPage;
    QString m_savedAddress;
};
