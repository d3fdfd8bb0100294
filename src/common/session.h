#pragma once

#include "database/opening.h"
#include "displaysettings.h"

#include <QObject>
#include <QString>

#include <memory>

class Connection;
class ResultSet;
struct ResultSource;

// The classification path of the clicked class: major, middle and minor class names, empty where absent.
struct ClassPath {
    QString major;
    QString middle;
    QString minor;

    bool operator==(const ClassPath&) const = default;
};

// What the program shares for a whole run. The program's main() owns it and hands a reference to every window.
// It alone opens, replaces and closes the shared result set, and says so: a view of the set that outlived it
// would read freed rows or act on the wrong scrap.
class Session final : public QObject {
    Q_OBJECT
public:
    Session();
    Q_DISABLE_COPY_MOVE(Session)
    ~Session() override;

    Connection* connection() const { return m_connection.get(); }
    // The shared result set, or null: every listing, search and registration replaces it.
    ResultSet* resultSet() const { return m_results.get(); }
    // Counts every replacement, so a view can tell whether the set it shows is still the shared one.
    quint64 resultsGeneration() const { return m_generation; }

    // Replaces the shared result set by one opened on source that can add rows; false (and no set) when it
    // cannot be opened.
    [[nodiscard]] bool openResults(const ResultSource& source);
    // Why the last openResults() gave no set; empty when it gave one, or when nothing could tell why.
    const Failure& resultsFailure() const { return m_resultsFailure; }
    void closeResults();
    // The set on every scrap, as at start-up.
    [[nodiscard]] bool openAllScraps();
    // The highest rowid of the index table, at least its row count, read without counting; 0 without a collection.
    [[nodiscard]] qint64 lastScrapRow() const;
    // Tells the views that rows of the set were narrowed or dropped in place.
    void announceResultsChanged();

    // Makes connection the open database; the previous one is closed first (see closeConnection).
    void adoptDatabase(std::unique_ptr<Connection> connection, const QString& path, const QString& name,
                       DatabaseKind kind);
    // Announces the close (once), then closes the shared result set and the connection.
    void closeConnection();
    // Tells the windows bound to the open collection that it closes, while its connection still works, so they
    // save what they hold and close. Said once per collection.
    void announceClosing();
    // Counts the collections opened in this run: a window bound to one tells by it that another is open now.
    quint64 collectionId() const { return m_collectionId; }

    const QString& databasePath() const { return m_databasePath; }
    const QString& databaseName() const { return m_databaseName; }
    DatabaseKind databaseKind() const { return m_databaseKind; }
    bool isSavedEdition() const { return m_databaseKind == DatabaseKind::SavedEdition; }
    // Nothing may be written: a saved edition, or a collection that cannot or must not be written (write-protected,
    // in use by another program, damaged, or with triggers and views of unknown origin).
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly() { m_readOnly = true; }

    // Work that holds the shared set and the connection across turns of the event loop (a progress shown) marks the
    // session busy; whatever would replace or close them meanwhile waits for idle().
    class Busy {
    public:
        explicit Busy(Session& session);
        Q_DISABLE_COPY_MOVE(Busy)
        ~Busy();

    private:
        Session& m_session;
    };
    bool isBusy() const { return m_busy > 0; }

    ClassPath currentClass;
    DisplayFont displayFont;
    MarkerColours markers;

Q_SIGNALS:
    // The shared result set was replaced or closed. Emitted while the previous set still exists, after which
    // it is freed: no one may keep a pointer to it.
    void resultsReplaced();
    // Rows of the same set were filtered or dropped.
    void resultsChanged();
    // The open collection is about to close or be replaced; its connection still works.
    void collectionClosing();
    // The last Busy ended.
    void idle();

private:
    void replaceResults(std::unique_ptr<ResultSet> set);

    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<ResultSet> m_results;
    Failure m_resultsFailure;
    quint64 m_generation = 0;
    QString m_databasePath;
    QString m_databaseName;
    DatabaseKind m_databaseKind = DatabaseKind::None;
    bool m_readOnly = false;
    quint64 m_collectionId = 0;
    bool m_closingAnnounced = false;
    int m_busy = 0;
};
