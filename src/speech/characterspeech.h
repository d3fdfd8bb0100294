#pragma once

#include "speechoutput.h"
#include "speechsynthesizer.h"

#include <QPointer>

#include <memory>

class QtAudioSink;
class SpeechCharacterWindow;
class SpeechPlayer;

// The speech character of the program: a voice of espeak-ng played through the sound system, and its window.
class CharacterSpeech final : public SpeechOutput {
public:
    CharacterSpeech();
    ~CharacterSpeech() override;

    bool load(const QString& name, const QString& loadName) override;
    bool setLanguage(int code) override;
    void moveTo(int x, int y) override;
    void show() override;
    void stop() override;
    void speak(const QString& tagged) override;
    void unload() override;

private:
    std::unique_ptr<QtAudioSink> m_sink;
    std::unique_ptr<SpeechPlayer> m_player;
    std::unique_ptr<SpeechCharacterWindow> m_window;
    VoiceChoice m_voice;
    bool m_loaded = false;
    bool m_shown = false;
};
