#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class Session;
class UserDialogs;
struct ResultSource;

// The date or period search: two lists of the stored creation dates that also take a typed date.
// Made afresh for each search; it closes itself once a search was sent.
class DateSearchDialog final : public QDialog {
    Q_OBJECT
public:
    DateSearchDialog(Session& session, UserDialogs& dialogs, QWidget* parent = nullptr);

    int helpTopic() const;
    void FillDateLists();
    // Sends the search; a text that is not a date is refused with a message and the window stays open.
    void RunDateSearch();

Q_SIGNALS:
    // The rows to list, sent just before the window closes: the receiver opens the shared result set on source
    // and fills the list (telling the user when nothing matched).
    void searchRequested(const ResultSource& source);
    // F1 was pressed.
    void helpRequested(int topic);

private:
    Session& m_session;
    UserDialogs& m_dialogs;
    // Combo1(0) "から" and Combo1(1) "まで".
    std::array<QComboBox*, 2> m_combo{};
};
