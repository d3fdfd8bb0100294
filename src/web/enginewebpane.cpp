#include "enginewebpane.h"

#include "browserengine.h"
#include "common/programmodule.h"
#include "common/userdialogs.h"
#include "startpage.h"
#include "webaddress.h"
#include "weblog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

// Qt's own: the graphics context every view that shares one uses. Not in Qt's public headers.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

constexpr int kLoggedAddressLength = 200;

// What the application object makes at its start when asked to share graphics contexts. Made here instead, once
// the window shows: on X11 it costs start-up ~45 ms before the first frame.
void shareGraphicsContexts()
{
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    if (!context->create())
        qCWarning(lcWeb) << "no shared graphics context; the engine draws without one";
    qt_gl_set_global_share_context(context);
}

// Beside the program once installed; in the build tree where it was built.
CreateBrowserEngine loadEngineModule()
{
    return reinterpret_cast<CreateBrowserEngine>(
        loadProgramModule({QStringLiteral(ZETTORA_WEB_MODULE_NAME), QStringLiteral(ZETTORA_WEB_MODULE_INSTALLED),
                           QStringLiteral(ZETTORA_WEB_MODULE_BUILT)},
                          kCreateBrowserEngine, lcWeb()));
}

} // namespace

EngineWebPane::EngineWebPane(UserDialogs& dialogs, QWidget* parent)
    : WebPane(parent)
    , m_dialogs(dialogs)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

EngineWebPane::~EngineWebPane() = default;

void EngineWebPane::paintEvent(QPaintEvent* event)
{
    WebPane::paintEvent(event);
    if (!m_startTried) {
        m_startTried = true;
        // Queued, so the frame being painted reaches the screen before the engine loads.
        QTimer::singleShot(0, this, &EngineWebPane::start);
    }
}

bool EngineWebPane::start()
{
    m_startTried = true;
    if (m_engine)
        return true;
    shareGraphicsContexts();
    const CreateBrowserEngine create = loadEngineModule();
    if (!create) {
        qCWarning(lcWeb) << "the web engine cannot be loaded; the web tab stays empty";
        return false;
    }
    BrowserEngine::Events events;
    events.completed = [this] { Q_EMIT navigationCompleted(); };
    events.clipText = [this](const QString& text) { Q_EMIT textClipRequested(text); };
    events.clipPicture = [this] { Q_EMIT pictureClipRequested(); };
    m_engine.reset(create(m_dialogs, this, std::move(events)));
    m_engine->setStartPageHtml(m_homeHtml);
    layout()->addWidget(m_engine->view());
    m_engine->view()->show();
    if (!m_pendingUrl.isEmpty())
        m_engine->load(std::exchange(m_pendingUrl, QUrl()));
    return true;
}

QWidget* EngineWebPane::engineView() const
{
    return m_engine ? m_engine->view() : nullptr;
}

QString EngineWebPane::currentUrl() const
{
    if (!m_engine)
        return {};
    const QUrl url = m_engine->url();
    if (showsSavedPage())
        return m_savedAddress;
    // The start page and a blank view are no page of the web: nothing to show in the box or keep as a favourite.
    if (url.isEmpty() || url.scheme() == QLatin1String(kStartPageScheme) || url == QUrl(QStringLiteral("about:blank")))
        return {};
    return url.toString();
}

QString EngineWebPane::currentTitle() const
{
    return currentUrl().isEmpty() ? QString() : m_engine->title();
}

void EngineWebPane::load(const QUrl& url)
{
    if (m_engine)
        m_engine->load(url);
    else
        m_pendingUrl = url;
}

void EngineWebPane::navigate(const QString& address)
{
    if (address.trimmed().isEmpty())
        return;
    const QUrl url = openableAddress(address);
    if (url.isEmpty()) {
        // A favourite may come from anyone: a script address would run in the page shown, with its rights.
        qCWarning(lcWeb) << "refused to open" << address.left(kLoggedAddressLength);
        m_dialogs.exclamation(
            QStringLiteral("このアドレスは開けません。　開けるのは http、https、file のアドレスだけです。"));
        return;
    }
    load(url);
}

void EngineWebPane::goBack()
{
    if (m_engine)
        m_engine->goBack();
}

void EngineWebPane::goForward()
{
    if (m_engine)
        m_engine->goForward();
}

void EngineWebPane::goHome()
{
    load(QUrl(QString::fromUtf16(kStartPageAddress)));
}

void EngineWebPane::goSearch()
{
    load(QUrl(QString::fromUtf16(kSearchPageAddress)));
}

void EngineWebPane::setHomePage(const QString& html)
{
    m_homeHtml = html;
    if (m_engine)
        m_engine->setStartPageHtml(html);
}

void EngineWebPane::printPage()
{
    if (m_engine)
        m_engine->printPage();
}

void EngineWebPane::copySelection()
{
    if (m_engine)
        m_engine->copySelection();
}

QString EngineWebPane::selectedText() const
{
    return m_engine ? m_engine->selectedText() : QString();
}

QString EngineWebPane::pageFolder()
{
    if (!m_pageFolderPath.isEmpty())
        return m_pageFolderPath;
    if (!m_pageFolder)
        m_pageFolder = std::make_unique<QTemporaryDir>();
    return m_pageFolder->isValid() ? m_pageFolder->path() : QString();
}

void EngineWebPane::savePageCopy(std::function<void(Result<QString>)> done)
{
    const QString what = QStringLiteral("ページのコピーを保存できませんでした。");
    const QString folder = pageFolder();
    if (!m_engine || currentUrl().isEmpty() || folder.isEmpty()) {
        QTimer::singleShot(0, this, [done = std::move(done), what] {
            done(Failure{what, QStringLiteral("保存できるページが表示されていません。"), {}});
        });
        return;
    }
    const QString path = QDir(folder).filePath(QStringLiteral("page-%1.mhtml").arg(++m_pageFiles));
    m_engine->savePage(path, [done = std::move(done), path, what](const QString& problem) {
        if (problem.isEmpty()) {
            done(path);
            return;
        }
        QFile::remove(path);
        done(Failure{what, QStringLiteral("ページを保存する途中で失敗しました。"), problem});
    });
}

void EngineWebPane::showSavedPage(const QByteArray& mhtml, const QString& address)
{
    const QString folder = pageFolder();
    if (!start() || folder.isEmpty()) {
        m_dialogs.exclamation(QStringLiteral("保存したページを開けません。"));
        return;
    }
    if (m_savedPage.isLocalFile())
        QFile::remove(m_savedPage.toLocalFile());
    const QString path = QDir(folder).filePath(QStringLiteral("saved-%1.mhtml").arg(++m_pageFiles));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(mhtml) != mhtml.size() || !file.flush()) {
        qCWarning(lcWeb) << "cannot write the saved page" << path << file.errorString();
        m_dialogs.exclamation(QStringLiteral("保存したページを開けません。"));
        return;
    }
    file.close();
    m_savedPage = QUrl::fromLocalFile(path);
    m_savedAddress = address;
    m_engine->showSavedPage(path);
}

bool EngineWebPane::showsSavedPage() const
{
    return m_engine && !m_savedPage.isEmpty() && m_engine->url() == m_savedPage;
}
