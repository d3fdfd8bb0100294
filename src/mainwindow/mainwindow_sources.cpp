// Where scraps come from: a clip keeps its page, the same page clipped again is asked about, record view shows the
// source, its live or saved page and every scrap of its site.
#include "common/desktop.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "recordview.h"
#include "scraplistcontroller.h"
#include "sources/pagecopy.h"
#include "sources/pagecopyoptionsdialog.h"
#include "sources/pastewatchingedit.h"
#include "sources/sitesearchdialog.h"
#include "sources/sourceaddress.h"
#include "sources/sourcekeeper.h"
#include "sources/sourceline.h"
#include "web/webpane.h"

#include <QProgressBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>

namespace {

const QString kBrowserTab = QStringLiteral("ブラウザ");
const QString kSavedPageTab = QStringLiteral("ブラウザ（保存したページ）");

} // namespace

void MainWindow::buildSourceControls()
{
    m_sources = new SourceKeeper(m_session, m_dialogs, *m_webPane, this);
    m_copyProgress = new QProgressBar(statusBar());
    m_copyProgress->setObjectName(QStringLiteral("PageCopyProgress"));
    m_copyProgress->setRange(0, 0);
    m_copyProgress->setFormat(QStringLiteral("ページを保存中"));
    m_copyProgress->setTextVisible(true);
    m_copyProgress->setMaximumWidth(160);
    m_copyProgress->hide();
    statusBar()->addPermanentWidget(m_copyProgress);
    connect(m_sources, &SourceKeeper::copiesChanged, m_copyProgress,
            [this](int running) { m_copyProgress->setVisible(running > 0); });
    // A record shown again after its copy arrived offers the copy.
    connect(m_sources, &SourceKeeper::copyKept, this, [this](qint64 docNo) {
        if (const std::optional<ScrapIdentity> shown = shownScrap(); shown && shown->docNo == docNo)
            showSourceOfShownScrap();
    });

    m_sourceLine = new SourceLine(statusBar());
    statusBar()->addPermanentWidget(m_sourceLine);
    connect(m_sourceLine, &SourceLine::liveRequested, this, &MainWindow::openLiveSource);
    connect(m_sourceLine, &SourceLine::savedRequested, this, &MainWindow::openSavedSource);
    connect(m_sourceLine, &SourceLine::siteRequested, this,
            [this](const QString& host) { listScrapsFrom(ScrapsFrom::Site, host); });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == TabSearch && m_recordView)
            showSourceOfShownScrap();
        else
            m_sourceLine->showSource(std::nullopt);
        showPictureHolding(index == TabSearch && m_recordView);
    });

    connect(m_webPane, &WebPane::navigationCompleted, this,
            [this] { m_tabs->setTabText(TabBrowser, m_webPane->showsSavedPage() ? kSavedPageTab : kBrowserTab); });
}

void MainWindow::watchEntryPastes()
{
    // Text pasted from a browser names its page; it is kept unless a clip from the web tab named one already.
    static_cast<PasteWatchingEdit*>(entryBody())->pasting = [this](const QMimeData& mime) {
        if (!m_sources->pendingAddress().isEmpty())
            return;
        if (const std::optional<ScrapSource> source = sourceOfPaste(mime))
            m_sources->takeFromPaste(*source);
    };
    connect(m_entryBody, &QPlainTextEdit::textChanged, this, [this] {
        if (m_sources && entryBody()->document()->isEmpty())
            m_sources->forget();
    });
}

bool MainWindow::clipAgainAllowed(const QString& address)
{
    const qsizetype count = m_sources->scrapsFrom(address);
    if (count == 0)
        return true;
    const int answer = m_dialogs.askChoice(
        QStringLiteral("このページからのスクラップが既に %1 件あります。　登録しますか？").arg(count),
        {QStringLiteral("はい"), QStringLiteral("いいえ"), QStringLiteral("表示")});
    if (answer == 2)
        listScrapsFrom(ScrapsFrom::Page, address);
    return answer == 0;
}

void MainWindow::listScrapsFrom(ScrapsFrom which, const QString& value)
{
    if (!m_session.connection() || !leaveRecordView())
        return;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabSearch);
    }
    ShowSearchMode();
    m_sourceLine->showSource(std::nullopt);
    listController()->listScrapsFrom(which, value);
}

void MainWindow::showSourceOfShownScrap()
{
    const std::optional<ScrapIdentity> shown = shownScrap();
    m_sourceLine->showSource(shown ? m_sources->sourceOf(shown->docNo) : std::nullopt);
}

void MainWindow::openLiveSource(QString address)
{
    if (address.isEmpty())
        return;
    if (!m_tabs->isTabEnabled(TabBrowser)) {
        // Where the web tab is closed (a collection read only), the desktop's own browser shows the page.
        const QUrl url(address);
        if (url.scheme() != u"http" && url.scheme() != u"https")
            return;
        if (!m_desktop.openUrl(url))
            m_dialogs.exclamation(QStringLiteral("ページを開けませんでした。\n") + address);
        return;
    }
    m_tabs->setCurrentIndex(TabBrowser);
    if (m_tabs->currentIndex() != TabBrowser)
        return;
    m_webShown = true;
    m_webPane->navigate(address);
}

void MainWindow::openSavedSource()
{
    const std::optional<ScrapIdentity> shown = shownScrap();
    if (!shown || !m_session.connection())
        return;
    if (!m_tabs->isTabEnabled(TabBrowser)) {
        m_dialogs.information(QStringLiteral("読み取り専用で開いたスクラップ集では、保存したページを表示できません。"));
        return;
    }
    const Result<std::optional<ScrapSource>> saved = m_sources->savedPageOf(shown->docNo);
    if (!saved) {
        m_dialogs.critical(saved.failure().message());
        return;
    }
    const std::optional<ScrapSource>& source = *saved;
    if (!source || source->pageCopy.isEmpty())
        return;
    const Result<QByteArray> page = PageCopy::expand(source->pageCopy);
    if (!page) {
        m_dialogs.critical(page.message());
        return;
    }
    m_tabs->setCurrentIndex(TabBrowser);
    if (m_tabs->currentIndex() != TabBrowser)
        return;
    m_webShown = true;
    m_tabs->setTabText(TabBrowser, kSavedPageTab);
    m_webPane->showSavedPage(*page, source->address);
}

void MainWindow::openSiteSearch()
{
    if (!m_session.connection() || !leaveRecordView())
        return;
    auto* dialog = new SiteSearchDialog(m_session, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &SiteSearchDialog::siteChosen, this,
            [this](const QString& host) { listScrapsFrom(ScrapsFrom::Site, host); });
    dialog->open();
}

void MainWindow::openPageCopyOptions()
{
    auto* dialog = new PageCopyOptionsDialog(m_session, m_dialogs, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
