#pragma once

#include "browserengine.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>

class QMenu;
class QNetworkAccessManager;
class QPrinter;
class QWebEngineContextMenuRequest;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;
class SavedPageGuard;
class StartPageScheme;
class UserDialogs;

// Qt WebEngine behind the browser pane: a view with its own profile, the start page, a Japanese context menu that
// leads into scraps, printing, downloads and pop-ups kept in the one view.
class EngineBrowser final : public QObject, public BrowserEngine {
public:
    EngineBrowser(UserDialogs& dialogs, QWidget* parent, Events events);
    ~EngineBrowser() override;

    // The context menu for a request of the page, as a right click on it shows it.
    QMenu* contextMenuFor(const QWebEngineContextMenuRequest& request);

    QWidget* view() const override;
    void load(const QUrl& url) override;
    void goBack() override;
    void goForward() override;
    QUrl url() const override;
    QString title() const override;
    void setStartPageHtml(const QString& html) override;
    void printPage() override;
    void copySelection() override;
    QString selectedText() const override;
    void savePage(const QString& path, std::function<void(const QString& problem)> done) override;
    void showSavedPage(const QString& path) override;

private:
    void followPageSave(QWebEngineDownloadRequest* download);
    void endPageSave(const QString& path, const QString& problem);
    void attachPicture(const QUrl& source);
    // False when that wait already ended (the picture came, or the user was told it did not).
    [[nodiscard]] bool endPictureWait(QObject* wait);
    void fetchPicture(const QUrl& source, QObject* wait);
    void offerDownload(QWebEngineDownloadRequest* download);
    void onPdfFinished(const QString& path, bool ok);
    void nameActionsInJapanese();

    UserDialogs& m_dialogs;
    Events m_events;
    QWebEngineProfile* m_profile = nullptr;
    StartPageScheme* m_startPage = nullptr;
    QWebEnginePage* m_page = nullptr;
    QWebEngineView* m_view = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    bool m_printing = false;
    QPointer<QObject> m_pictureWait;
    QNetworkAccessManager* m_network = nullptr;
    // The page saves under way, by the path they write.
    QHash<QString, std::function<void(const QString&)>> m_pageSaves;
    // The engine's writing of each page save, cancelled when the save is given up.
    QHash<QString, QPointer<QWebEngineDownloadRequest>> m_pageDownloads;
    SavedPageGuard* m_savedPageGuard = nullptr;
};
