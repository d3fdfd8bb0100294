#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;
class Session;
class SpeechOutput;
class UserDialogs;

// Reading aloud for the main window: the speech character stored in the open collection, loaded and unloaded with
// it, its settings window, and a read of the text the window hands over.
class SpeechReader final : public QObject {
    Q_OBJECT
public:
    SpeechReader(Session& session, UserDialogs& dialogs, SpeechOutput& speech, QWidget* window,
                 std::function<void(int)> showHelp);

    // The character stored in the open collection, put where it stands, speaking its language.
    void load();
    void unload();
    // Reads text with the loaded character; says so when none is registered.
    void read(const QString& text);
    // "frmSpeak": the settings stored, and the character loaded anew with them.
    void openSettings();

private:
    void setLanguage(int index);

    Session& m_session;
    UserDialogs& m_dialogs;
    SpeechOutput& m_speech;
    QWidget* m_window;
    std::function<void(int)> m_showHelp;
    // The loaded character's name (empty when none), its speed, and whether it was shown since loading.
    QString m_name;
    int m_speed = 0;
    bool m_shown = false;
};
