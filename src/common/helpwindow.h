#pragma once

#include <QList>
#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// The help pages shipped with the program, opened at a topic's anchor, with a table of contents and a search.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void showTopic(int topic);
    QUrl currentUrl() const;

    // The pages in the order of the table of contents, as qrc URLs.
    static QList<QUrl> pages();

private:
    // A heading with an id and the text up to the next one: what the contents list and the search find.
    struct Section {
        QUrl url;
        QString title;
        int level = 1;
        QString text; // folded for comparison
    };

    void readSections();
    void fillContents();
    void open(const QUrl& url);
    void runSearch();
    void markCurrentEntry(const QUrl& url);

    QTextBrowser* m_browser;
    QTabWidget* m_side;
    QTreeWidget* m_contents;
    QLineEdit* m_searchField;
    QListWidget* m_results;
    QLabel* m_searchNote;
    QList<Section> m_sections;
};
