#include "qtaudiosink.h"

#include "speechlog.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>

namespace {

constexpr int kFeedMs = 20;

} // namespace

QtAudioSink::QtAudioSink(QObject* parent)
    : QObject(parent)
    , m_feeder(new QTimer(this))
{
    m_feeder->setInterval(kFeedMs);
    connect(m_feeder, &QTimer::timeout, this, &QtAudioSink::feed);
}

QtAudioSink::~QtAudioSink()
{
    stop();
}

void QtAudioSink::start(int sampleRate)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        qCWarning(lcSpeech) << "no sound output: the speech is not heard";
        return;
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    m_audio = new QAudioSink(device, format, this);
    m_device = m_audio->start();
    if (!m_device) {
        qCWarning(lcSpeech) << "the sound output refused to start:" << m_audio->error();
        stop();
        return;
    }
    m_feeder->start();
}

void QtAudioSink::write(const QByteArray& samples)
{
    if (!m_device)
        return;
    m_pending += samples;
    feed();
}

void QtAudioSink::feed()
{
    if (!m_device)
        return;
    if (!m_pending.isEmpty()) {
        const qint64 room = m_audio->bytesFree();
        const qint64 written = m_device->write(m_pending.constData(), std::min<qint64>(room, m_pending.size()));
        if (written > 0)
            m_pending.remove(0, written);
    }
    // The device plays on between writes; the player learns here that it may synthesise further.
    notifyHeard();
}

qint64 QtAudioSink::unheardBytes() const
{
    // What waits here and what the device holds but has not played.
    return m_pending.size() + (m_audio ? std::max<qint64>(0, m_audio->bufferSize() - m_audio->bytesFree()) : 0);
}

void QtAudioSink::stop()
{
    m_feeder->stop();
    m_pending.clear();
    if (m_audio) {
        m_audio->stop();
        m_audio->deleteLater();
    }
    m_audio = nullptr;
    m_device = nullptr;
}
