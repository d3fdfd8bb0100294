#pragma once

#include <QObject>

class SpeechTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void speedTag_data();
    void speedTag();
    void japanese_withKanji_isReadAsJapanese();
    void speed_andCharacters_changeWhatIsHeard();
    void stop_cutsALongReadAtOnce();
    void speak_staysABoundedStretchAheadOfWhatIsHeard();
    void characterWindow_keptOnScreen_hiddenByItsMenu_data();
    void characterWindow_keptOnScreen_hiddenByItsMenu();
};
