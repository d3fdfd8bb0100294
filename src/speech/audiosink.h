#pragma once

#include <QByteArray>

#include <functional>
#include <utility>

// Where synthesised speech goes: the sound system in the program, a recorder in tests.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // 16-bit signed mono samples at sampleRate follow.
    virtual void start(int sampleRate) = 0;
    virtual void write(const QByteArray& samples) = 0;
    // Silence at once, dropping whatever was not heard yet.
    virtual void stop() = 0;
    // Bytes written and not heard yet; a sink that takes samples at once (a file, a recorder) holds none back.
    virtual qint64 unheardBytes() const { return 0; }
    // Called on the sink's thread whenever some of what was written has been heard.
    void onHeard(std::function<void()> heard) { m_heard = std::move(heard); }

protected:
    void notifyHeard() const
    {
        if (m_heard)
            m_heard();
    }

private:
    std::function<void()> m_heard;
};
