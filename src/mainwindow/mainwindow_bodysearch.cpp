// Searching every body: the field of the search toolbar, the index kept beside the open file, the marks in record view.
#include "common/colourvalue.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"
#include "search/bodysearch.h"
#include "search/fulltextmarker.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

namespace {

// Below this many rows a catching up is over before a progress bar could be read.
constexpr qint64 kRowsWorthShowing = 500;
// With more rows than this waiting, a search compares so many bodies one by one that the user is told.
constexpr qint64 kRowsMakingSearchSlow = 1000;

// Enter in the field runs the search, unless an input method is composing: then its Enter confirms the conversion.
class EnterKeyFilter final : public QObject {
public:
    EnterKeyFilter(QObject* parent, std::function<void()> entered)
        : QObject(parent)
        , m_entered(std::move(entered))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod) {
            m_composing = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
        } else if (event->type() == QEvent::KeyPress && !m_composing) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_entered();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_entered;
    // The press, not the release, is watched: an input method may let the release of its Enter through.
    bool m_composing = false;
};

QString editionStamp(const QString& path)
{
    const QFileInfo info(path);
    return QString::number(info.size()) + u':' + QString::number(info.lastModified().toMSecsSinceEpoch());
}

} // namespace

void MainWindow::buildBodySearch()
{
    m_bodyIndexer = new BodyIndexer(this);
    m_indexProgress = new QProgressBar(statusBar());
    m_indexProgress->setObjectName(QStringLiteral("IndexProgress"));
    m_indexProgress->setFormat(QStringLiteral("本文の索引を作成中　%v / %m"));
    m_indexProgress->setMinimumWidth(260);
    m_indexProgress->hide();
    statusBar()->addPermanentWidget(m_indexProgress);
    connect(m_bodyIndexer, &BodyIndexer::progress, this, [this](qint64 done, qint64 total) {
        if (total < kRowsWorthShowing)
            return;
        m_indexProgress->setRange(0, int(total));
        m_indexProgress->setValue(int(done));
        m_indexProgress->show();
    });
    connect(m_bodyIndexer, &BodyIndexer::fileChecked, this, &MainWindow::onFileChecked);
    connect(m_bodyIndexer, &BodyIndexer::finished, this, [this] {
        m_indexProgress->hide();
        if (m_indexKeeper)
            static_cast<IndexKeeper*>(m_indexKeeper.get())->setWorkerBusy(false);
    });
}

void MainWindow::startBodyIndex()
{
    m_bodyIndexer->stop();
    m_indexProgress->hide();
    m_bodyIndexUsable = false;
    m_bodySearchWords.clear();
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    const bool edition = m_session.isReadOnly();
    m_bodyIndexSchema = QString::fromLatin1(edition ? BodyIndex::kCacheSchema : BodyIndex::kMainSchema);
    const QString cacheFile = edition ? BodyIndex::cacheFileFor(m_session.databasePath()) : QString();
    try {
        BodyIndex::registerFunctions(*connection);
        if (edition)
            BodyIndex::attachCache(*connection, cacheFile);
        m_bodyIndexUsable = true;
    } catch (const DbError& e) {
        // Without its index a body search still answers, by reading every body.
        qCWarning(lcMainWindow) << "the body index cannot be used:" << e.message();
        return;
    }
    if (!edition) {
        auto keeper = std::make_unique<IndexKeeper>(
            m_bodyIndexSchema, [this] { QTimer::singleShot(0, m_bodyIndexer, &BodyIndexer::resume); });
        keeper->setWorkerBusy(true);
        connection->setTransactionObserver(keeper.get());
        m_indexKeeper = std::move(keeper);
    }
    m_bodyIndexer->start(m_session.databasePath(), m_bodyIndexSchema, cacheFile,
                         edition ? editionStamp(m_session.databasePath()) : QString());
}

void MainWindow::stopBodyIndex()
{
    m_bodyIndexer->stop();
    if (Connection* connection = m_session.connection())
        connection->setTransactionObserver(nullptr);
    m_indexKeeper.reset();
}

void MainWindow::addBodySearchField()
{
    auto* spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer)->setObjectName(QStringLiteral("phBodySearch"));
    // The field is made anew with each toolbar layout; what was typed in it stays.
    auto* box = new QLineEdit(m_toolbar);
    box->setObjectName(QStringLiteral("BodySearch"));
    box->setPlaceholderText(QStringLiteral("本文を検索"));
    box->setToolTip(QStringLiteral("本文・標題・キーワードを検索（Ctrl+Shift+F）"));
    box->setClearButtonEnabled(true);
    box->setMinimumWidth(220);
    box->setText(m_bodySearchText);
    box->installEventFilter(new EnterKeyFilter(box, [this] { runBodySearch(); }));
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { m_bodySearchText = text; });
    m_toolbar->addWidget(box)->setObjectName(QStringLiteral("BodySearchField"));
    m_bodySearchBox = box;
}

void MainWindow::focusBodySearch()
{
    if (!m_session.connection())
        return;
    if (m_mode == Mode::RecordView)
        offerToSaveRecordEdit();
    if (m_mode != Mode::Search) {
        if (m_tabs->currentIndex() != TabSearch)
            m_tabs->setCurrentIndex(TabSearch);
        else
            ShowSearchMode();
    }
    if (m_bodySearchBox) {
        m_bodySearchBox->setFocus(Qt::ShortcutFocusReason);
        m_bodySearchBox->selectAll();
    }
}

void MainWindow::runBodySearch()
{
    const QStringList words = parseBodySearch(m_bodySearchText);
    Connection* connection = m_session.connection();
    if (words.isEmpty() || !connection)
        return;
    bool indexed = false;
    qint64 waiting = 0;
    if (m_bodyIndexUsable && m_bodyIndexer->isVerified()) {
        try {
            indexed = BodyIndex::isInstalled(*connection, m_bodyIndexSchema);
            waiting = indexed ? BodyIndex::pendingCount(*connection, m_bodyIndexSchema) : 0;
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot read the body index:" << e.message();
        }
    }
    if (!m_bodyIndexUsable) {
        try {
            BodyIndex::registerFunctions(*connection);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot search the bodies:" << e.message();
            m_dialogs.critical(QStringLiteral("本文を検索できませんでした。"));
            return;
        }
    }
    const BodySearchWay way = indexed ? BodySearchWay::Index : BodySearchWay::Scan;
    runSearch(BuildBodySearchQuery(words, way, m_bodyIndexSchema, waiting == 0));
    if (!m_session.resultSet() && indexed) {
        // An index damaged since it was checked: this search reads every body, and the worker makes it anew.
        qCWarning(lcMainWindow) << "the body index cannot be read; searching every body";
        indexed = false;
        runSearch(BuildBodySearchQuery(words, BodySearchWay::Scan, m_bodyIndexSchema));
        startBodyIndex();
    }
    if (m_session.resultSet() && m_session.resultSet()->recordCount() > 0) {
        m_bodySearchWords = words;
        if (!indexed || waiting > kRowsMakingSearchSlow)
            setStatusPanels(
                statusText(1),
                QStringLiteral("本文の索引を作成中のため、すべての本文を順に調べました（時間がかかります）。"));
    }
    if (m_bodySearchBox)
        m_bodySearchBox->setFocus();
}

void MainWindow::markBodySearchWords()
{
    if (m_bodySearchWords.isEmpty())
        return;
    const QString body = m_recordBody->toPlainText();
    QList<FullText::Hit> hits;
    for (const QString& word : m_bodySearchWords)
        hits << FullText::findAll(body, word);
    if (!hits.isEmpty())
        FullTextMarker::markHits(m_recordBody->document(), hits,
                                 {ColourValue::toColour(m_session.markers.seek), m_session.displayFont.name});
}
