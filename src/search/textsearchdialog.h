#pragma once

#include "searchstatements.h"

#include <QDialog>

class QLineEdit;
class Session;
struct ResultSource;

// The title or keyword search: one text, compared exactly or as a "%" pattern with the chosen index field.
// Made afresh for each search; it closes itself after "検索".
class TextSearchDialog final : public QDialog {
    Q_OBJECT
public:
    // The field also decides the caption and the help topic.
    TextSearchDialog(Session& session, TextSearchField field, QWidget* parent = nullptr);

    TextSearchField field() const { return m_field; }
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
    TextSearchField m_field;
    QLineEdit* m_text;
};
