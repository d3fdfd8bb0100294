#pragma once

#include "speechsynthesizer.h"

#include <QObject>

#include <atomic>
#include <thread>

class AudioSink;

// Reads text aloud: synthesises on a thread of its own and hands each piece to the sink as it is made, so the window
// never waits and a long text starts speaking at once. A new read, or stop(), cuts the one before.
class SpeechPlayer final : public QObject {
    Q_OBJECT
public:
    explicit SpeechPlayer(AudioSink& sink, QObject* parent = nullptr);
    ~SpeechPlayer() override;

    // tagged is "\spd=N\" + text; kanji are read as Japanese by a Japanese voice.
    void speak(const QString& tagged, VoiceChoice voice);
    void stop();
    bool isSpeaking() const { return m_speaking; }

Q_SIGNALS:
    void finished();

private:
    AudioSink& m_sink;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    quint64 m_generation = 0;
    bool m_speaking = false;
};
