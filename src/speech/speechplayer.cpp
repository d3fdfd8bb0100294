#include "speechplayer.h"

#include "audiosink.h"
#include "speechtext.h"

#include <QMetaObject>

#include <cstring>

SpeechPlayer::SpeechPlayer(AudioSink& sink, QObject* parent)
    : QObject(parent)
    , m_sink(sink)
{}

SpeechPlayer::~SpeechPlayer()
{
    stop();
}

void SpeechPlayer::stop()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
    // Pieces already on their way to this thread belong to the read that was cut.
    ++m_generation;
    if (m_speaking)
        m_sink.stop();
    m_speaking = false;
}

void SpeechPlayer::speak(const QString& tagged, VoiceChoice voice)
{
    stop();
    const SpeechRequest request = parseSpeechRequest(tagged);
    if (request.speed > 0)
        voice.wordsPerMinute = wordsPerMinute(request.speed);
    const quint64 generation = m_generation;
    m_speaking = true;
    m_sink.start(SpeechSynthesizer::sampleRate());
    m_worker = std::thread([this, generation, voice, text = request.text] {
        const bool japanese = std::strcmp(voice.language, "ja") == 0;
        const QString spoken = japanese ? toKana(text) : text;
        SpeechSynthesizer::synthesize(spoken, voice, [&](const qint16* samples, int count) {
            if (m_cancel)
                return false;
            QByteArray piece(reinterpret_cast<const char*>(samples), qsizetype(count) * qsizetype(sizeof(qint16)));
            QMetaObject::invokeMethod(
                this,
                [this, generation, piece] {
                    if (generation == m_generation)
                        m_sink.write(piece);
                },
                Qt::QueuedConnection);
            return true;
        });
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation != m_generation)
                    return;
                m_speaking = false;
                Q_EMIT finished();
            },
            Qt::QueuedConnection);
    });
}
