#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class Collection;
class Desktop;
class QTableView;
class ScrapListModel;
class Session;
class UserDialogs;
struct ClassPath;
struct ResultSource;

// The list's controller: it fills the list `fr` from listings and searches (the index searches and the body search),
// sizes it, and carries out what acts on the listed scraps: the spreadsheet, the saved edition, deleting them all.
// Where the scraps to list were clipped: one page (by its address) or any page of one site (by its host).
enum class ScrapsFrom { Page, Site };

class ScrapListController final : public QObject {
    Q_OBJECT
public:
    ScrapListController(Session& session, Collection& collection, UserDialogs& dialogs, Desktop& desktop,
                        QTableView* list, std::function<void(int)> showHelp, QObject* parent = nullptr);

    ScrapListModel* model() const { return m_model; }
    int resultCount() const { return m_resultCount; }

    // Lists the scraps filed under path (the tree node clicked in search mode).
    // level: of the class in the tree, 1 for its root.
    void listClass(const ClassPath& path, int level);
    // A title, keyword or date search: opens the shared result set on source and lists it.
    void runSearch(const ResultSource& source);
    // The scraps clipped from one page, or from any page of one site.
    void listScrapsFrom(ScrapsFrom which, const QString& value);
    // Every body, title and keyword holding all the words typed.
    void runBodySearch(const QString& typed);
    // The words the last body search found, for record view to mark; empty after any other listing.
    const QStringList& searchWords() const { return m_searchWords; }
    // The set was narrowed by importance in place.
    void showFiltered();
    // A scrap's picture set changed: the listed snapshot learns it, so the list says "あり" or "なし".
    void notePictureSet(qint64 rowid, qint64 skID);
    void clear();

    void exportToSpreadsheet();
    // Asks for a folder, then copies the listed scraps into a saved edition there.
    void makeSavedEdition();
    // Asks, then deletes every listed scrap; true when they were deleted.
    [[nodiscard]] bool deleteAll();

Q_SIGNALS:
    // A listing or search ended with count scraps; -1 when the set could not be opened.
    void listed(int count);
    // The status bar reports count (a search that found nothing leaves it as it was).
    void counted(int count);
    // The text of the status bar's second panel, when a search has something to say.
    void notice(const QString& text);
    // The user pressed row (1-based).
    void rowPressed(int row);

private:
    // The body index, checked against the file after a search of it failed: false when it must be made anew.
    [[nodiscard]] bool indexStillSound(const QString& schema) const;
    [[nodiscard]] bool openForListing(const ResultSource& source);
    // A failure to open is told unless the caller tries another way first.
    void showListing(bool opened, bool tellFailure = true);
    void listSearch(const ResultSource& source, bool tellFailure);
    void sizeRows();
    void sizeColumns();

    Session& m_session;
    Collection& m_collection;
    UserDialogs& m_dialogs;
    Desktop& m_desktop;
    QTableView* m_list;
    ScrapListModel* m_model;
    std::function<void(int)> m_showHelp;
    int m_resultCount = 0;
    QStringList m_searchWords;
};
