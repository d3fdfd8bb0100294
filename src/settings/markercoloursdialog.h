#pragma once

#include <QColor>
#include <QDialog>

#include <optional>

class QLabel;
class Session;
class UserDialogs;

// The marker-colour window: samples of the underline and full-text marker colours, each with a button that
// chooses a new one and stores it in the open database.
class MarkerColoursDialog final : public QDialog {
    Q_OBJECT
public:
    MarkerColoursDialog(Session& session, UserDialogs& dialogs, QWidget* parent = nullptr);

    int helpTopic() const;

Q_SIGNALS:
    // F1 was pressed.
    void helpRequested(int topic);

public:
    // which: 0 the underline colour, 1 the full-text marker colour.
    void ChooseMarkerColour(int which);

private:
    void showUnderlineColour(const QColor& colour);
    void showMarkerColour(const QColor& colour);

    Session& m_session;
    UserDialogs& m_dialogs;
    QLabel* m_underlineSample;
    QLabel* m_markerSample;
    // The colour dialog reopens on the last colour chosen here, whichever sample it was for.
    std::optional<QColor> m_lastChosen;
};
