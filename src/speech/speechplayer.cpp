#include "speechplayer.h"

#include "audiosink.h"
#include "speechtext.h"

#include <QMetaObject>

#include <cstring>

SpeechPlayer::SpeechPlayer(AudioSink& sink, QObject* parent)
    : QObject(parent)
    , m_sink(sink)
{
    m_sink.onHeard([this] { noteHeard(0); });
}

SpeechPlayer::~SpeechPlayer()
{
    stop();
    m_sink.onHeard({});
}

void SpeechPlayer::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_cancel = true;
    }
    m_room.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
    // Pieces already on their way to this thread belong to the read that was cut.
    ++m_generation;
    if (m_speaking)
        m_sink.stop();
    m_speaking = false;
    const std::lock_guard lock(m_mutex);
    m_posted = 0;
    m_unheard = 0;
}

bool SpeechPlayer::waitForRoom(qint64 bytes)
{
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [&] {
        const qint64 ahead = m_posted + m_unheard;
        return m_cancel || ahead == 0 || ahead + bytes <= m_aheadLimit;
    });
    if (m_cancel)
        return false;
    m_posted += bytes;
    return true;
}

void SpeechPlayer::noteHeard(qint64 delivered)
{
    {
        const std::lock_guard lock(m_mutex);
        m_posted -= delivered;
        m_unheard = m_sink.unheardBytes();
    }
    m_room.notify_all();
}

void SpeechPlayer::speak(const QString& tagged, VoiceChoice voice)
{
    stop();
    const SpeechRequest request = parseSpeechRequest(tagged);
    if (request.speed > 0)
        voice.wordsPerMinute = wordsPerMinute(request.speed);
    const quint64 generation = m_generation;
    const int rate = SpeechSynthesizer::sampleRate();
    m_aheadLimit = qint64(rate) * qint64(sizeof(qint16)) * kAheadMs / 1000;
    m_speaking = true;
    m_sink.start(rate);
    // The engines take C strings: a NUL (another tool's body may hold one) would end the reading there.
    m_worker = std::thread([this, generation, voice, text = QString(request.text).replace(QChar::Null, u' ')] {
        const bool japanese = std::strcmp(voice.language, "ja") == 0;
        const QString spoken = japanese ? toKana(text) : text;
        SpeechSynthesizer::synthesize(spoken, voice, [&](const qint16* samples, int count) {
            const qsizetype bytes = qsizetype(count) * qsizetype(sizeof(qint16));
            if (!waitForRoom(bytes))
                return false;
            QByteArray piece(reinterpret_cast<const char*>(samples), bytes);
            QMetaObject::invokeMethod(
                this,
                [this, generation, piece] {
                    if (generation != m_generation)
                        return;
                    m_sink.write(piece);
                    noteHeard(piece.size());
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
