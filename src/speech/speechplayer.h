#pragma once

#include "speechsynthesizer.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class AudioSink;

// Reads text aloud: synthesises on a thread of its own and hands each piece to the sink as it is made, so the window
// never waits and a long text starts speaking at once. Synthesis keeps at most kAheadMs of speech ahead of what the
// sink has played, so a long body never sits in memory whole. A new read, or stop(), cuts the one before.
class SpeechPlayer final : public QObject {
    Q_OBJECT
public:
    static constexpr int kAheadMs = 3000;

    explicit SpeechPlayer(AudioSink& sink, QObject* parent = nullptr);
    ~SpeechPlayer() override;

    // tagged is "\spd=N\" + text; kanji are read as Japanese by a Japanese voice.
    void speak(const QString& tagged, VoiceChoice voice);
    void stop();
    bool isSpeaking() const { return m_speaking; }
    // The most bytes of samples synthesised and not yet heard at any moment.
    qint64 aheadLimit() const { return m_aheadLimit; }

Q_SIGNALS:
    void finished();

private:
    // Waits on the worker until a piece of bytes fits ahead of what is heard; false when the read was cut.
    bool waitForRoom(qint64 bytes);
    void noteHeard(qint64 delivered);

    AudioSink& m_sink;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::mutex m_mutex;
    std::condition_variable m_room;
    // Synthesised pieces on their way to the sink, and what the sink holds unheard: guarded by m_mutex.
    qint64 m_posted = 0;
    qint64 m_unheard = 0;
    qint64 m_aheadLimit = 0;
    quint64 m_generation = 0;
    bool m_speaking = false;
};
