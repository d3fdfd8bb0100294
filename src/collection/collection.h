#pragma once

#include "backup/backupstore.h"
#include "common/result.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class BackupWorker;
class BodyIndexer;
class CollectionLock;
class PictureReader;
class Session;
class TransactionObserver;
class UserDialogs;

// The open collection, for the whole of its life and without a widget: it opens a file, decides whether it may be
// written (and tells the user why not), locks it, starts the worker that checks the file before anything is written
// and keeps the body index, makes backups, and closes it again, announcing the close through the Session first so
// that every window bound to the collection saves what it holds and closes while the file is still open.
class Collection final : public QObject {
    Q_OBJECT
public:
    // Why the open collection may not be written.
    enum class ReadOnlyReason { None, WriteProtected, ForeignSchema, InUse, Damaged, NumbersInUseTwice };

    struct Options {
        bool backups = true;
        // The program that reads the text in pictures (zettora-ocr); none reads nothing.
        QString recognitionProgram{};
        // How long after a collection opens its pictures start to be read.
        int recognitionDelayMs = 0;
        // A picture the engine has not read in this long is given up and reported.
        int recognitionTimeoutMs = 180000;
    };

    Collection(Session& session, UserDialogs& dialogs, Options options, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Collection)
    ~Collection() override;

    // Opens path in place of the open collection. A refused file leaves the open one as it was; the failure says
    // why (an empty failure: the user chose to keep what was open).
    [[nodiscard]] Done open(const QString& path);
    // Announces the close, lets the windows save, stops the workers, backs up what changed and closes the file.
    void close();
    bool isOpen() const;

    QString path() const;
    // The caption the main window shows: the file's name, marked when it is a saved edition or read-only.
    QString caption() const;
    ReadOnlyReason readOnlyReason() const { return m_readOnlyReason; }
    // The file was checked and may now be written.
    bool isWritable() const;

    // Backups of the open collection.
    [[nodiscard]] Done backUpNow();
    [[nodiscard]] QList<Backups::Entry> backups() const;
    // The chosen backup copied beside the collection under a new name, for the caller to open.
    [[nodiscard]] Result<QString> restoreCopy(const Backups::Entry& backup) const;

    // A new, empty collection at the path the user gave (".mdb" added when missing); gives that path.
    [[nodiscard]] static Result<QString> create(const QString& answer);
    // The ".mdb" path a user's answer from a save dialog stands for.
    static QString filePathFor(const QString& answer);

    // The body index: where it lives, whether this collection's searches may use it, and whether it was checked
    // against the file since the opening.
    QString indexSchema() const { return m_indexSchema; }
    bool isIndexUsable() const { return m_indexUsable; }
    bool isIndexChecked() const;
    // The index could not be read by a search: it is checked and made anew beside the window.
    void remakeIndex();
    BodyIndexer* bodyIndexer() const { return m_indexer; }
    BackupWorker* backupWorker() const { return m_backupWorker; }
    // Reads the text in the pictures of a collection that may be written.
    PictureReader* pictureReader() const { return m_pictureReader; }
    // Whether the open collection has the text in its pictures read; false when that cannot be read.
    bool readsPictureText() const;
    // Turns that reading on or off for a collection that may be written, and wakes the reader.
    [[nodiscard]] Done setReadsPictureText(bool on);

Q_SIGNALS:
    // Another collection is open (or the first one): the windows show it.
    void opened();
    // The check before the first write found the file damaged: it is read-only from now on.
    void turnedReadOnly();
    // Progress of the body index's catching up, in scraps; finished ends it.
    void indexProgress(qint64 done, qint64 total);
    void indexFinished();
    // A backup the user asked for was made, or any backup failed: a line for the status bar.
    void backupReported(const QString& text);

private:
    ReadOnlyReason readOnlyReasonOf(class Connection& connection) const;
    QString readOnlyNotice(ReadOnlyReason reason) const;
    void startIndex();
    void stopIndex();
    void onFileChecked(quint64 run, bool sound, const QString& problem);
    void backUpIfDue();
    void backUpAfterChanges();

    // What the worker read of the file once its check passed.
    struct Findings {
        QStringList usedTwice;
        QHash<QString, qint64> inUse;
    };

    Session& m_session;
    UserDialogs& m_dialogs;
    const Options m_options;
    ReadOnlyReason m_readOnlyReason = ReadOnlyReason::None;
    std::unique_ptr<CollectionLock> m_lock;
    BodyIndexer* m_indexer = nullptr;
    std::unique_ptr<TransactionObserver> m_indexKeeper;
    QString m_indexSchema;
    bool m_indexUsable = false;
    bool m_writable = false;
    BackupWorker* m_backupWorker = nullptr;
    PictureReader* m_pictureReader = nullptr;
    // Backups started and finished on the worker, counted alike, and the number of the one 今すぐバックアップ asked
    // for: the result of a backup that was under way when it was asked is not its answer.
    quint64 m_backupsStarted = 0;
    quint64 m_backupsFinished = 0;
    quint64 m_backupAsked = 0;
    qint64 m_changesAtOpen = 0;
    std::shared_ptr<Findings> m_findings;
};
