#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class Session;
class UserDialogs;

// Full-text search: marks every occurrence of a word in the body that record view shows. The window stays open
// beside the main window, which marks the word again in each scrap it steps to while the window is open.
class FullTextSearchDialog final : public QWidget {
    Q_OBJECT
public:
    // body is the record view's text box, in which the word is searched and marked.
    FullTextSearchDialog(Session& session, UserDialogs& dialogs, QPlainTextEdit* body, QWidget* parent = nullptr);

    int helpTopic() const;
    // The word searched last, without its surrounding blanks; empty before the first search and after closing.
    QString fullTextWord() const { return m_fullTextWord; }
    // Marks every occurrence of the word in the body and leaves the selection on the last one, without any
    // message; false when there is none (or no word).
    bool MarkAllHits();
    // The search button: searches the typed word and says so when it is not there.
    void onSearchClicked();

Q_SIGNALS:
    // Sent when the window closes, by its button or its close box; the marks stay until record view steps on.
    void closed();
    void helpRequested(int topic);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Session& m_session;
    UserDialogs& m_dialogs;
    QPointer<QPlainTextEdit> m_body;
    QString m_fullTextWord;
    QLineEdit* m_text1;
};
