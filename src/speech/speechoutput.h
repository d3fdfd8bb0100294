#pragma once

#include <QString>

// The speech character as the main window drives it: load it, give it a language, show it, make it speak, stop
// it, unload it. The program has one real implementation; tests record the calls.
class SpeechOutput {
public:
    virtual ~SpeechOutput() = default;

    // name is stored and shown ("Marlin"), loadName is what it is loaded under ("Merlin"). False when it cannot be.
    virtual bool load(const QString& name, const QString& loadName) = 0;
    // False when no voice speaks the language of that code.
    virtual bool setLanguage(int code) = 0;
    // Where the character stands on the screen, in screen pixels; it is kept wholly on the screen.
    virtual void moveTo(int x, int y) = 0;
    virtual void show() = 0;
    virtual void stop() = 0;
    // "\spd=N\" followed by the text.
    virtual void speak(const QString& tagged) = 0;
    virtual void unload() = 0;
};

// The speech module's entry point: a new speech character, owned by the caller.
using CreateSpeechOutput = SpeechOutput* (*)();
inline constexpr char kCreateSpeechOutput[] = "zettoraCreateSpeechOutput";
