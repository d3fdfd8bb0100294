#include "enginebrowser.h"

#include "common/textcut.h"
#include "common/userdialogs.h"
#include "startpage.h"
#include "startpagescheme.h"
#include "webaddress.h"
#include "weblog.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace {

// A copied picture reaches the clipboard from the engine a moment later; past this, it is taken as failed.
constexpr int kPictureCopyTimeoutMs = 15000;
constexpr int kPictureCopyFallbackMs = 2000;
constexpr int kPdfNameTitleLength = 40;
// The pictures window stores no larger picture: kMaxPictureBytes in src/pictures/pictureimage.h, a library this
// module does not link.
constexpr qint64 kMaxPictureBytes = 100LL * 1024 * 1024;
// A page whose save has not ended by then (a page that never finishes, say) keeps its scrap without a copy.
constexpr int kPageSaveTimeoutMs = 45000;

// A page that opens its pop-up windows in itself: the new window's first address is loaded here instead.
class SingleViewPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        // A local file is opened by the user alone (address box, favourite, history), never by a page.
        const bool byUser =
            type == NavigationTypeTyped || type == NavigationTypeBackForward || type == NavigationTypeReload;
        if (url.scheme() == u"file" && !byUser) {
            qCWarning(lcWeb) << "a page may not lead to a local file:" << url;
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    QWebEnginePage* createWindow(WebWindowType) override
    {
        // A pop-up that never names an address (window.open('') with a script written into it) would stay hidden
        // and running: one at a time is kept, until it names one or asks to close.
        if (m_popup)
            m_popup->deleteLater();
        auto* popup = new QWebEnginePage(profile(), this);
        m_popup = popup;
        connect(popup, &QWebEnginePage::windowCloseRequested, popup, &QObject::deleteLater);
        connect(popup, &QWebEnginePage::urlChanged, this, [this, popup](const QUrl& url) {
            if (url.isEmpty())
                return;
            // Loaded here on the page's behalf, so only where the page itself could lead.
            if (isWebAddress(url))
                setUrl(url);
            else
                qCWarning(lcWeb) << "a pop-up of" << this->url() << "may not open" << url.scheme() << "addresses";
            popup->deleteLater();
        });
        return popup;
    }

private:
    QPointer<QWebEnginePage> m_popup;
};

} // namespace

// While a saved page is shown nothing of it reaches the network: a copy is read as it was kept.
class SavedPageGuard final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void setSavedPage(const QUrl& page)
    {
        const QMutexLocker lock(&m_mutex);
        m_page = page;
    }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QMutexLocker lock(&m_mutex);
        if (m_page.isEmpty() || info.firstPartyUrl().adjusted(QUrl::RemoveFragment) != m_page)
            return;
        const QString scheme = info.requestUrl().scheme();
        if (scheme == u"file" || scheme == u"cid" || scheme == u"data")
            return;
        qCInfo(lcWeb) << "a saved page may not fetch" << info.requestUrl().scheme() << "addresses";
        info.block(true);
    }

private:
    QMutex m_mutex;
    QUrl m_page;
};

namespace {

class PageView final : public QWebEngineView {
public:
    PageView(EngineBrowser& browser, QWidget* parent)
        : QWebEngineView(parent)
        , m_browser(browser)
    {}

protected:
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        const QWebEngineContextMenuRequest* request = lastContextMenuRequest();
        if (!request)
            return;
        QMenu* menu = m_browser.contextMenuFor(*request);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }

private:
    EngineBrowser& m_browser;
};

QString userFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    QDir().mkpath(folder);
    return folder;
}

// A file name for the page in the documents folder that no earlier print took.
QString pdfPathFor(const QString& title)
{
    QString name = leftWhole(title, kPdfNameTitleLength);
    for (QChar& c : name) {
        if (c.isSpace() || c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(QStringLiteral("ページ"));
    const QDir folder(userFolder(QStandardPaths::DocumentsLocation));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder.filePath(name + u'-' + stamp + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(name + u'-' + stamp + u'-' + QString::number(n) + QStringLiteral(".pdf"));
    return path;
}

} // namespace

EngineBrowser::EngineBrowser(UserDialogs& dialogs, QWidget* parent, Events events)
    : m_dialogs(dialogs)
    , m_events(std::move(events))
{
    static const bool schemeRegistered = [] {
        StartPageScheme::registerScheme();
        return true;
    }();
    Q_UNUSED(schemeRegistered);
    // Cookies and cache belong to the user, in the desktop's data and cache folders, never beside a collection.
    m_profile = new QWebEngineProfile(QStringLiteral("zettora"));
    m_profile->setPersistentStoragePath(
        QDir(userFolder(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("web")));
    m_profile->setCachePath(QDir(userFolder(QStandardPaths::CacheLocation)).filePath(QStringLiteral("web")));
    m_profile->setHttpAcceptLanguage(QStringLiteral("ja,en;q=0.7"));
    m_startPage = new StartPageScheme(m_profile);
    m_profile->installUrlSchemeHandler(StartPageScheme::name(), m_startPage);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, &EngineBrowser::offerDownload);

    m_page = new SingleViewPage(m_profile);
    m_view = new PageView(*this, parent);
    m_view->setPage(m_page);
    nameActionsInJapanese();
    connect(m_view, &QWebEngineView::loadFinished, this, [this] { m_events.completed(); });
    connect(m_view, &QWebEngineView::pdfPrintingFinished, this, &EngineBrowser::onPdfFinished);
    connect(m_view, &QWebEngineView::printFinished, this, [this](bool ok) {
        m_printing = false;
        if (!ok) {
            qCWarning(lcWeb) << "printing failed:" << m_view->url();
            m_dialogs.exclamation(QStringLiteral("印刷できませんでした。"));
        }
    });
}

EngineBrowser::~EngineBrowser()
{
    // The engine wants its pages gone before their profile.
    delete m_view;
    delete m_page;
    delete m_profile;
}

void EngineBrowser::nameActionsInJapanese()
{
    const std::pair<QWebEnginePage::WebAction, const char16_t*> names[] = {
        {QWebEnginePage::Back, u"戻る"},
        {QWebEnginePage::Forward, u"進む"},
        {QWebEnginePage::Reload, u"再読み込み"},
        {QWebEnginePage::Cut, u"切り取り"},
        {QWebEnginePage::Copy, u"コピー"},
        {QWebEnginePage::Paste, u"貼り付け"},
        {QWebEnginePage::SelectAll, u"すべて選択"},
        {QWebEnginePage::CopyLinkToClipboard, u"リンクのアドレスをコピー"},
        {QWebEnginePage::CopyImageToClipboard, u"画像をコピー"},
    };
    for (const auto& [action, text] : names)
        m_page->action(action)->setText(QString::fromUtf16(text));
}

QMenu* EngineBrowser::contextMenuFor(const QWebEngineContextMenuRequest& request)
{
    auto* menu = new QMenu(m_view);
    menu->setObjectName(QStringLiteral("webContextMenu"));
    // The two ways into a scrap come first, where a user looks for what this program adds.
    if (request.mediaType() == QWebEngineContextMenuRequest::MediaTypeImage) {
        const QUrl source = request.mediaUrl();
        QAction* clip =
            menu->addAction(QStringLiteral("画像をスクラップに添付"), this, [this, source] { attachPicture(source); });
        clip->setObjectName(QStringLiteral("clipPicture"));
    }
    if (const QString text = request.selectedText(); !text.isEmpty()) {
        QAction* clip = menu->addAction(QStringLiteral("選択した文字でスクラップを作成"), this,
                                        [this, text] { m_events.clipText(text); });
        clip->setObjectName(QStringLiteral("clipText"));
    }
    if (!menu->isEmpty())
        menu->addSeparator();
    if (request.linkUrl().isValid()) {
        const QUrl link = request.linkUrl();
        // Opened from here the link skips the engine's own checks of what a page may lead to.
        if (isWebAddress(link))
            menu->addAction(QStringLiteral("リンクを開く"), this, [this, link] { load(link); });
        menu->addAction(m_page->action(QWebEnginePage::CopyLinkToClipboard));
    }
    if (request.mediaType() == QWebEngineContextMenuRequest::MediaTypeImage)
        menu->addAction(m_page->action(QWebEnginePage::CopyImageToClipboard));
    if (request.isContentEditable()) {
        menu->addAction(m_page->action(QWebEnginePage::Cut));
        menu->addAction(m_page->action(QWebEnginePage::Copy));
        menu->addAction(m_page->action(QWebEnginePage::Paste));
        menu->addAction(m_page->action(QWebEnginePage::SelectAll));
    } else if (!request.selectedText().isEmpty()) {
        menu->addAction(m_page->action(QWebEnginePage::Copy));
    }
    menu->addSeparator();
    for (QWebEnginePage::WebAction action : {QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Reload})
        menu->addAction(m_page->action(action));
    return menu;
}

bool EngineBrowser::endPictureWait(QObject* wait)
{
    if (m_pictureWait != wait)
        return false;
    m_pictureWait = nullptr;
    wait->deleteLater();
    return true;
}

void EngineBrowser::attachPicture(const QUrl& source)
{
    delete m_pictureWait;
    auto* wait = new QObject(this);
    m_pictureWait = wait;
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, wait, [this, wait] {
        if (endPictureWait(wait))
            m_events.clipPicture();
    });
    // The picture is kept with the page it came from: another page shown before it arrives would be taken as its
    // source. A move within the page (its #fragment) is the same page.
    const QUrl page = m_view->url().adjusted(QUrl::RemoveFragment);
    connect(m_view, &QWebEngineView::urlChanged, wait, [this, wait, page](const QUrl& url) {
        if (url.adjusted(QUrl::RemoveFragment) == page || !endPictureWait(wait))
            return;
        qCWarning(lcWeb) << "the page was left before its picture reached the clipboard";
        m_dialogs.exclamation(QStringLiteral("画像を取り込む前に別のページへ移ったため、添付しませんでした。"));
    });
    // The engine now and then drops a copy made while its page is busy: the picture is then fetched by its address.
    QTimer::singleShot(kPictureCopyFallbackMs, wait, [this, wait, source] { fetchPicture(source, wait); });
    QTimer::singleShot(kPictureCopyTimeoutMs, wait, [this, wait] {
        if (!endPictureWait(wait))
            return;
        qCWarning(lcWeb) << "the picture did not reach the clipboard";
        m_dialogs.exclamation(QStringLiteral("画像をコピーできませんでした。"));
    });
    m_view->triggerPageAction(QWebEnginePage::CopyImageToClipboard);
}

void EngineBrowser::fetchPicture(const QUrl& source, QObject* wait)
{
    // Fetched here, past the engine's checks: a page's picture may name a local file.
    if (!isWebAddress(source)) {
        qCWarning(lcWeb) << "no picture fetched from a" << source.scheme() << "address";
        return;
    }
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    }
    QNetworkReply* reply = m_network->get(QNetworkRequest(source));
    reply->setParent(wait);
    auto received = std::make_shared<QByteArray>();
    const auto dropTooLarge = [this, reply, wait](qint64 size) {
        qCWarning(lcWeb) << "the picture" << reply->url() << "is larger than" << kMaxPictureBytes << "bytes:" << size;
        QObject::disconnect(reply, nullptr, wait, nullptr);
        reply->abort();
        if (endPictureWait(wait))
            m_dialogs.exclamation(QStringLiteral("画像が大きすぎるため、添付できません。"));
    };
    connect(reply, &QNetworkReply::redirected, wait, [reply](const QUrl& target) {
        const bool downgrade = reply->url().scheme() == u"https" && target.scheme() == u"http";
        if (isWebAddress(target) && !downgrade) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        qCWarning(lcWeb) << "the picture" << reply->url() << "leads to a" << target.scheme() << "address";
        reply->abort();
    });
    // The announced length first, then what arrives, since a server need not announce it or may lie.
    connect(reply, &QNetworkReply::metaDataChanged, wait, [reply, dropTooLarge] {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > kMaxPictureBytes)
            dropTooLarge(announced);
    });
    connect(reply, &QNetworkReply::readyRead, wait, [reply, received, dropTooLarge] {
        received->append(reply->readAll());
        if (received->size() > kMaxPictureBytes)
            dropTooLarge(received->size());
    });
    connect(reply, &QNetworkReply::finished, wait, [reply, received] {
        received->append(reply->readAll());
        const QImage image = reply->error() == QNetworkReply::NoError ? QImage::fromData(*received) : QImage();
        if (image.isNull()) {
            qCWarning(lcWeb) << "cannot fetch the picture" << reply->url() << reply->errorString();
            return;
        }
        QGuiApplication::clipboard()->setImage(image);
    });
}

void EngineBrowser::offerDownload(QWebEngineDownloadRequest* download)
{
    // A copy of the page for a scrap is none of the user's downloads.
    if (download->isSavePageDownload()) {
        followPageSave(download);
        return;
    }
    const QString folder = userFolder(QStandardPaths::DownloadLocation);
    const QString question = QStringLiteral("「%1」をダウンロードして、次のフォルダーに保存しますか？\n%2")
                                 .arg(download->downloadFileName(), QDir::toNativeSeparators(folder));
    if (!m_dialogs.askYesNo(question)) {
        download->cancel();
        return;
    }
    download->setDownloadDirectory(folder);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] {
        const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
        if (download->state() == QWebEngineDownloadRequest::DownloadCompleted) {
            m_dialogs.information(QStringLiteral("ダウンロードが終わりました。\n") + QDir::toNativeSeparators(path));
        } else if (download->state() == QWebEngineDownloadRequest::DownloadInterrupted) {
            qCWarning(lcWeb) << "download interrupted:" << path << "reason" << int(download->interruptReason());
            m_dialogs.exclamation(QStringLiteral("ダウンロードできませんでした。\n") + QDir::toNativeSeparators(path));
        }
    });
    download->accept();
}

QWidget* EngineBrowser::view() const
{
    return m_view;
}

void EngineBrowser::load(const QUrl& url)
{
    // A script or data address would run with the rights of the page shown.
    if (!isOpenable(url) && url != StartPageScheme::startPageUrl()) {
        qCWarning(lcWeb) << "refused to load a" << url.scheme() << "address";
        return;
    }
    m_view->load(url);
}

void EngineBrowser::goBack()
{
    if (m_view->history()->canGoBack())
        m_view->back();
}

void EngineBrowser::goForward()
{
    if (m_view->history()->canGoForward())
        m_view->forward();
}

QUrl EngineBrowser::url() const
{
    return m_view->url();
}

QString EngineBrowser::title() const
{
    return m_view->title();
}

void EngineBrowser::setStartPageHtml(const QString& html)
{
    m_startPage->setHtml(html);
    if (m_view->url() == StartPageScheme::startPageUrl())
        m_view->reload();
}

void EngineBrowser::printPage()
{
    if (m_printing)
        return;
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    m_printing = true;
    if (printer.isNull()) {
        // No printer on this machine: the page is kept as a PDF rather than lost.
        m_view->printToPdf(pdfPathFor(m_view->title()));
        return;
    }
    m_printer = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
    m_view->print(m_printer.get());
}

void EngineBrowser::onPdfFinished(const QString& path, bool ok)
{
    m_printing = false;
    if (ok) {
        m_dialogs.information(QStringLiteral("プリンターが見つからないため、ページを PDF ファイルに保存しました。\n") +
                              QDir::toNativeSeparators(path));
        return;
    }
    qCWarning(lcWeb) << "cannot save the page as" << path;
    m_dialogs.exclamation(QStringLiteral("ページを PDF ファイルに保存できませんでした。\n") +
                          QDir::toNativeSeparators(path));
}

void EngineBrowser::copySelection()
{
    m_view->triggerPageAction(QWebEnginePage::Copy);
}

QString EngineBrowser::selectedText() const
{
    return m_view->selectedText();
}

void EngineBrowser::savePage(const QString& path, std::function<void(const QString&)> done)
{
    const QString key = QDir::cleanPath(path);
    if (m_pageSaves.contains(key)) {
        done(QStringLiteral("the same file is being written"));
        return;
    }
    m_pageSaves.insert(key, std::move(done));
    QTimer::singleShot(kPageSaveTimeoutMs, this, [this, key] { endPageSave(key, QStringLiteral("timed out")); });
    m_page->save(path, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
}

void EngineBrowser::followPageSave(QWebEngineDownloadRequest* download)
{
    const QString key = QDir::cleanPath(QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
    if (!m_pageSaves.contains(key)) {
        qCWarning(lcWeb) << "a page save nobody asked for:" << key;
        download->cancel();
        return;
    }
    const auto ended = [this, download, key] {
        if (!download->isFinished())
            return;
        const bool complete = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
        // Not interruptReasonString(): for a page save that failed it reads past its table and crashes (Qt 6.4).
        endPageSave(key, complete ? QString()
                                  : QStringLiteral("state %1, reason %2")
                                        .arg(int(download->state()))
                                        .arg(int(download->interruptReason())));
    };
    m_pageDownloads.insert(key, download);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, ended);
    if (download->state() == QWebEngineDownloadRequest::DownloadRequested)
        download->accept();
    ended();
}

void EngineBrowser::endPageSave(const QString& path, const QString& problem)
{
    const auto found = m_pageSaves.find(path);
    if (found == m_pageSaves.end())
        return;
    const std::function<void(const QString&)> done = std::move(*found);
    m_pageSaves.erase(found);
    const QPointer<QWebEngineDownloadRequest> download = m_pageDownloads.take(path);
    if (!problem.isEmpty()) {
        qCWarning(lcWeb) << "cannot save the page as" << path << problem;
        // A save given up (timed out) must not go on writing its file after the caller stopped waiting for it.
        if (download && !download->isFinished())
            download->cancel();
        QFile::remove(path);
    }
    done(problem.isEmpty() && !QFileInfo(path).isFile() ? QStringLiteral("no file written") : problem);
}

void EngineBrowser::showSavedPage(const QString& path)
{
    if (!m_savedPageGuard) {
        m_savedPageGuard = new SavedPageGuard(this);
        m_page->setUrlRequestInterceptor(m_savedPageGuard);
    }
    const QUrl page = QUrl::fromLocalFile(path);
    m_savedPageGuard->setSavedPage(page);
    m_view->load(page);
}

extern "C" Q_DECL_EXPORT BrowserEngine* zettoraCreateBrowserEngine(UserDialogs& dialogs, QWidget* parent,
                                                                   BrowserEngine::Events events)
{
    return new EngineBrowser(dialogs, parent, std::move(events));
}
