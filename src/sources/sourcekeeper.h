#pragma once

#include "common/result.h"
#include "database/scrapsources.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class QThread;
class Session;
class UserDialogs;
class WebPane;

// The page-copy options of the open collection; the defaults when none is open or they cannot be read.
[[nodiscard]] ScrapSources::CopyOptions currentCopyOptions(Session& session);

// The source of the scrap being written in the entry pane: the page text or a picture was clipped from (with a copy
// of it made beside the window), or the page a pasted text names. Registration takes it; a copy still being made
// then follows its scrap into the file once it is ready.
class SourceKeeper final : public QObject {
    Q_OBJECT
public:
    SourceKeeper(Session& session, UserDialogs& dialogs, WebPane& pane, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SourceKeeper)
    ~SourceKeeper() override;

    // Something was clipped from the page the web pane shows: its address, title and the time are kept now and,
    // as the collection's options say, a copy of the page is made. False when the page has no address to keep.
    bool takeFromPage();
    // Pasted text from the page the clipboard named.
    void takeFromPaste(const ScrapSource& source);
    void forget();
    // The address kept for the next registration, or empty.
    QString pendingAddress() const;
    // Copies being made now.
    int copiesRunning() const { return int(m_running.size()); }
    // Copies being made for scraps of the open collection already registered: closing it now would lose them.
    [[nodiscard]] bool copiesFollowScraps() const;

    // The source the scrap registered now keeps, with its copy once made and within the collection's limit.
    [[nodiscard]] std::optional<ScrapSource> forRegistration();
    // That scrap is stored as docNo: a copy still being made is written to it when ready.
    void registered(qint64 docNo);

    // What the open collection keeps of where its scraps came from; nothing when that cannot be read.
    [[nodiscard]] qsizetype scrapsFrom(const QString& address) const;
    [[nodiscard]] std::optional<ScrapSource> sourceOf(qint64 docNo) const;
    // The same with the page copy, for showing it: a failure the user is told of.
    [[nodiscard]] Result<std::optional<ScrapSource>> savedPageOf(qint64 docNo) const;

Q_SIGNALS:
    // A copy began or ended (running copies counted).
    void copiesChanged(int running);
    // A copy was kept, for the scrap of docNo (0 while it waits for its registration).
    void copyKept(qint64 docNo);

private:
    void onCompressed(quint64 copy, const Result<QByteArray>& bytes);
    [[nodiscard]] bool fitsCollection(qint64 bytes);

    struct Pending {
        ScrapSource source{};
        quint64 copy = 0;
    };

    Session& m_session;
    UserDialogs& m_dialogs;
    WebPane& m_pane;
    std::optional<Pending> m_pending;
    quint64 m_nextCopy = 1;
    QList<quint64> m_running;
    // Copies still being made for scraps already stored: the collection and DocNo each goes to.
    QHash<quint64, std::pair<quint64, qint64>> m_followers;
    QList<QPointer<QThread>> m_workers;
};
