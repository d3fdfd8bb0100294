#pragma once

#include "audiosink.h"

#include <QObject>

class QAudioSink;
class QIODevice;
class QTimer;

// The sound system through Qt Multimedia. Without an output device the speech is dropped and logged.
class QtAudioSink final : public QObject, public AudioSink {
public:
    explicit QtAudioSink(QObject* parent = nullptr);
    ~QtAudioSink() override;

    void start(int sampleRate) override;
    void write(const QByteArray& samples) override;
    void stop() override;
    qint64 unheardBytes() const override;

private:
    void feed();

    QAudioSink* m_audio = nullptr;
    QIODevice* m_device = nullptr;
    QTimer* m_feeder = nullptr;
    QByteArray m_pending;
};
