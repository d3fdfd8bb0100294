#pragma once

#include "speechoutput.h"

#include <memory>

// The speech character of the speech module, loaded when a character is first loaded: linked into the program,
// espeak-ng and the sound system would cost every start-up several milliseconds before its first frame.
class ModuleSpeech final : public SpeechOutput {
public:
    ModuleSpeech();
    ~ModuleSpeech() override;

    bool load(const QString& name, const QString& loadName) override;
    bool setLanguage(int code) override;
    void moveTo(int x, int y) override;
    void show() override;
    void stop() override;
    void speak(const QString& tagged) override;
    void unload() override;

private:
    // Null when the module cannot be loaded; tried once.
    SpeechOutput* engine();

    std::unique_ptr<SpeechOutput> m_engine;
    bool m_tried = false;
};
