#pragma once

#include "webpane.h"

#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QMenu;
class QNetworkAccessManager;
class QPrinter;
class QWebEngineContextMenuRequest;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;
class StartPageScheme;
class UserDialogs;

// The web tab's browser: a Qt WebEngine view. The engine starts after the pane's first painted frame (or at
// start()), so that the main window shows without waiting for it; what is asked before then is done once it runs.
class EngineWebPane final : public WebPane {
    Q_OBJECT
public:
    explicit EngineWebPane(UserDialogs& dialogs, QWidget* parent = nullptr);
    ~EngineWebPane() override;

    // Before the application object exists: the start page's address scheme, and the shared graphics contexts.
    static void prepareApplication();

    void start();
    QWebEngineView* view() const { return m_view; }
    // The context menu for a request of the page, as a right click on it shows it.
    QMenu* contextMenuFor(const QWebEngineContextMenuRequest& request);

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void load(const QUrl& url);
    void attachPicture(const QUrl& source);
    void fetchPicture(const QUrl& source, QObject* wait);
    void offerDownload(QWebEngineDownloadRequest* download);
    void onPdfFinished(const QString& path, bool ok);
    void nameActionsInJapanese();

    UserDialogs& m_dialogs;
    QWebEngineProfile* m_profile = nullptr;
    StartPageScheme* m_startPage = nullptr;
    QWebEnginePage* m_page = nullptr;
    QWebEngineView* m_view = nullptr;
    QString m_homeHtml;
    bool m_startScheduled = false;
    // What was asked before the engine ran; the last request wins, as it would in a running browser.
    QUrl m_pendingUrl;
    std::unique_ptr<QPrinter> m_printer;
    bool m_printing = false;
    QPointer<QObject> m_pictureWait;
    QNetworkAccessManager* m_network = nullptr;
};
