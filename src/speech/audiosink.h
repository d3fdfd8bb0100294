#pragma once

#include <QByteArray>

// Where synthesised speech goes: the sound system in the program, a recorder in tests.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // 16-bit signed mono samples at sampleRate follow.
    virtual void start(int sampleRate) = 0;
    virtual void write(const QByteArray& samples) = 0;
    // Silence at once, dropping whatever was not heard yet.
    virtual void stop() = 0;
};
