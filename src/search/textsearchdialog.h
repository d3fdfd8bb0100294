#pragma once

#include <QDialog>

class QLineEdit;
class Session;
struct ResultSource;

// The title or keyword search: one text, compared exactly or as a "%" pattern with the chosen index field.
// Made afresh for each search; it closes itself after "検索".
class TextSearchDialog final : public QDialog {
    Q_OBJECT
public:
    // whereCol: 2 searches the titles, 7 the keywords; it also decides the caption and the help topic.
    TextSearchDialog(Session& session, int whereCol, QWidget* parent = nullptr);

    int WhereCol() const { return m_whereCol; }
    int helpTopic() const;
    void RunTextSearch();

Q_SIGNALS:
    // The rows to list, sent just before the window closes: the receiver opens the shared result set on source
    // and fills the list (telling the user when nothing matched). Not sent when no statement could be composed.
    void searchRequested(const ResultSource& source);
    // F1 was pressed.
    void helpRequested(int topic);

private:
    Session& m_session;
    int m_whereCol;
    QLineEdit* m_text;
};
