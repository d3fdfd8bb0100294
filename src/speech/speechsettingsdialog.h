#pragma once

#include "speechstore.h"

#include <QDialog>

#include <optional>

class QButtonGroup;
class QSlider;

// "読み上げ各種設定": the character, the language and the speed of reading aloud. It shows the stored choice and,
// on "ＯＫ", hands back what is chosen; the caller stores it and loads the character again.
class SpeechSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    SpeechSettingsDialog(const std::optional<SpeechSettings>& stored, QWidget* parent = nullptr);

    // Empty when no option of the kind is selected.
    std::optional<QString> character() const;
    std::optional<int> languageIndex() const;
    int speed() const;

Q_SIGNALS:
    void helpRequested(int topic);

private:
    QButtonGroup* m_characters;
    QButtonGroup* m_languages;
    QSlider* m_speed;
};
