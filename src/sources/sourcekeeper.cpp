#include "sourcekeeper.h"

#include "common/session.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/transaction.h"
#include "pagecopy.h"
#include "sourceaddress.h"
#include "sourceslog.h"
#include "web/webpane.h"

#include <QFile>
#include <QThread>

#include <algorithm>

ScrapSources::CopyOptions currentCopyOptions(Session& session)
{
    if (Connection* connection = session.connection()) {
        try {
            return ScrapSources::readOptions(*connection);
        } catch (const DbError& e) {
            qCWarning(lcSources) << "cannot read the options of page copies:" << e.message();
        }
    }
    return {};
}

SourceKeeper::SourceKeeper(Session& session, UserDialogs& dialogs, WebPane& pane, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_pane(pane)
{
    // What was clipped for one collection is never registered into another.
    connect(&m_session, &Session::collectionClosing, this, &SourceKeeper::forget);
}

SourceKeeper::~SourceKeeper()
{
    // A compression under way ends first: its thread reports to this object.
    for (const QPointer<QThread>& worker : std::as_const(m_workers)) {
        if (worker)
            worker->wait();
    }
}

bool SourceKeeper::takeFromPage()
{
    const std::optional<QString> address = keptSourceAddress(m_pane.currentUrl());
    // Text and a picture from one page: the page is kept once.
    if (address && m_pending && m_pending->source.address == *address)
        return true;
    forget();
    if (!address) {
        qCInfo(lcSources) << "the page shown has no address to keep";
        return false;
    }
    m_pending = Pending{
        .source = {.address = *address, .title = m_pane.currentTitle(), .clippedAt = QDateTime::currentDateTime()}};
    const ScrapSources::CopyOptions options = currentCopyOptions(m_session);
    if (!options.keepCopies || m_session.isReadOnly())
        return true;
    const quint64 copy = m_nextCopy++;
    m_pending->copy = copy;
    m_running.append(copy);
    Q_EMIT copiesChanged(copiesRunning());
    const qint64 limit = std::min(options.pageLimit, ScrapSources::kLargestPageCopy);
    m_pane.savePageCopy([self = QPointer<SourceKeeper>(this), copy, limit](Result<QString> path) {
        if (!self) {
            if (path)
                QFile::remove(*path);
            return;
        }
        if (!path) {
            self->onCompressed(copy, path.failure());
            return;
        }
        // Reading and compressing a large page takes seconds: never on the window's thread.
        QThread* worker = QThread::create([copy, file = *path, limit, keeper = self.data()] {
            const Result<QByteArray> bytes = PageCopy::compressFile(file, limit);
            QFile::remove(file);
            QMetaObject::invokeMethod(
                keeper, [keeper, copy, bytes] { keeper->onCompressed(copy, bytes); }, Qt::QueuedConnection);
        });
        worker->setParent(self);
        connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        self->m_workers.append(worker);
        self->m_workers.removeAll(nullptr);
        worker->start(QThread::LowPriority);
    });
    return true;
}

void SourceKeeper::takeFromPaste(const ScrapSource& source)
{
    forget();
    m_pending = Pending{.source = source};
    m_pending->source.clippedAt = QDateTime::currentDateTime();
}

void SourceKeeper::forget()
{
    m_pending.reset();
}

QString SourceKeeper::pendingAddress() const
{
    return m_pending ? m_pending->source.address : QString();
}

std::optional<ScrapSource> SourceKeeper::forRegistration()
{
    if (!m_pending)
        return std::nullopt;
    ScrapSource source = m_pending->source;
    if (!source.pageCopy.isEmpty() && !fitsCollection(source.pageCopy.size()))
        source.pageCopy.clear();
    return source;
}

void SourceKeeper::registered(qint64 docNo)
{
    if (m_pending && m_pending->copy != 0)
        m_followers.insert(m_pending->copy, {m_session.collectionId(), docNo});
    m_pending.reset();
}

bool SourceKeeper::copiesFollowScraps() const
{
    return std::ranges::any_of(m_followers,
                               [this](const auto& follower) { return follower.first == m_session.collectionId(); });
}

qsizetype SourceKeeper::scrapsFrom(const QString& address) const
{
    Connection* connection = m_session.connection();
    try {
        return connection ? ScrapSources::scrapsFrom(*connection, address).size() : 0;
    } catch (const DbError& e) {
        qCWarning(lcSources) << "cannot count the scraps from" << address << e.message();
        return 0;
    }
}

std::optional<ScrapSource> SourceKeeper::sourceOf(qint64 docNo) const
{
    Connection* connection = m_session.connection();
    try {
        return connection ? ScrapSources::load(*connection, docNo) : std::nullopt;
    } catch (const DbError& e) {
        qCWarning(lcSources) << "cannot read the source of scrap" << docNo << e.message();
        return std::nullopt;
    }
}

Result<std::optional<ScrapSource>> SourceKeeper::savedPageOf(qint64 docNo) const
{
    Connection* connection = m_session.connection();
    try {
        return connection ? ScrapSources::load(*connection, docNo, true) : std::nullopt;
    } catch (const DbError& e) {
        qCWarning(lcSources) << "cannot read the saved page of scrap" << docNo << e.message();
        return e.failure(QStringLiteral("保存したページを開けません。"));
    }
}

void SourceKeeper::onCompressed(quint64 copy, const Result<QByteArray>& bytes)
{
    m_running.removeAll(copy);
    Q_EMIT copiesChanged(copiesRunning());
    const bool pending = m_pending && m_pending->copy == copy;
    const auto follower = m_followers.constFind(copy);
    const bool following = follower != m_followers.cend();
    if (!pending && !following) {
        qCInfo(lcSources) << "a page copy no scrap waits for is dropped";
        return;
    }
    // A saved edition or a list being written holds the connection in a read of its own while its progress turns the
    // loop: the copy is stored once that is done.
    if (following && !pending && bytes && m_session.isBusy()) {
        connect(
            &m_session, &Session::idle, this, [this, copy, bytes] { onCompressed(copy, bytes); },
            Qt::SingleShotConnection);
        return;
    }
    const auto [collection, docNo] = following ? *follower : std::pair<quint64, qint64>{0, 0};
    m_followers.remove(copy);
    if (pending)
        m_pending->copy = 0;
    if (!bytes) {
        qCWarning(lcSources) << "no page copy:" << bytes.failure().detail;
        m_dialogs.exclamation(bytes.message());
        return;
    }
    if (pending) {
        m_pending->source.pageCopy = *bytes;
        Q_EMIT copyKept(0);
        return;
    }
    Connection* connection = m_session.connection();
    if (!connection || m_session.collectionId() != collection || m_session.isReadOnly()) {
        qCInfo(lcSources) << "the collection of a page copy is no longer open";
        return;
    }
    if (!fitsCollection(bytes->size()))
        return;
    try {
        Transaction transaction(*connection);
        if (!ScrapSources::attachPageCopy(*connection, docNo, *bytes)) {
            qCInfo(lcSources) << "the scrap of a page copy is gone:" << docNo;
            return;
        }
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcSources) << "cannot store the page copy:" << e.message();
        m_dialogs.exclamation(e.failure(QStringLiteral("ページのコピーを保存できませんでした。")).message());
        return;
    }
    Q_EMIT copyKept(docNo);
}

bool SourceKeeper::fitsCollection(qint64 bytes)
{
    Connection* connection = m_session.connection();
    if (!connection)
        return false;
    try {
        const ScrapSources::CopyOptions options = ScrapSources::readOptions(*connection);
        if (ScrapSources::storedCopyBytes(*connection) + bytes <= options.collectionLimit)
            return true;
    } catch (const DbError& e) {
        qCWarning(lcSources) << "cannot count the stored page copies:" << e.message();
        return false;
    }
    m_dialogs.exclamation(
        QStringLiteral("保存したページの合計が上限に達したため、このページのコピーは保存しませんでした。"
                       "\nアドレスと標題は保存されています。"));
    return false;
}
