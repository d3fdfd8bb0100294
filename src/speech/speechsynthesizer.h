#pragma once

#include <QString>

#include <functional>

// How a voice speaks: an espeak-ng language voice, a character's variant, pitch and range, and a speed.
struct VoiceChoice {
    const char* language = "en-us";
    const char* variant = nullptr;
    int pitch = 50;
    int range = 50;
    int wordsPerMinute = 175;
};

// espeak-ng, synthesising into buffers. The engine is one per process: calls are serialised, and synthesize() holds
// it for the whole read, waits for playback included, so a read is stopped before a voice is asked for.
namespace SpeechSynthesizer {

// False when the engine cannot start (no data files).
bool available();
int sampleRate();
bool hasVoice(const char* language);
// Synthesises text, handing each piece of 16-bit mono samples to piece as soon as it is made; piece returns
// false to stop at once. False when the engine refused the voice or the text.
bool synthesize(const QString& text, const VoiceChoice& voice, const std::function<bool(const qint16*, int)>& piece);
// The phonemes the voice of language reads text with (espeak-ng's own notation).
QString phonemes(const QString& text, const char* language);

} // namespace SpeechSynthesizer
