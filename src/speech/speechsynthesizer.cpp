#include "speechsynthesizer.h"

#include "speechlog.h"

#include <QMutex>

#include <espeak-ng/speak_lib.h>

namespace {

// Each piece is this long at most: short enough that speaking starts at once and a stop is heard at once.
constexpr int kPieceMs = 100;

QMutex& engineMutex()
{
    static QMutex mutex;
    return mutex;
}

int startedRate()
{
    static const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kPieceMs, nullptr, 0);
    return rate;
}

const std::function<bool(const qint16*, int)>* g_piece = nullptr;

int onSynthesised(short* samples, int count, espeak_EVENT*)
{
    if (!samples || count == 0 || !g_piece)
        return 0;
    return (*g_piece)(samples, count) ? 0 : 1;
}

bool selectVoice(const VoiceChoice& voice)
{
    QByteArray name(voice.language);
    if (voice.variant)
        name += '+' + QByteArray(voice.variant);
    if (espeak_SetVoiceByName(name.constData()) != EE_OK)
        return false;
    espeak_SetParameter(espeakRATE, voice.wordsPerMinute, 0);
    espeak_SetParameter(espeakPITCH, voice.pitch, 0);
    espeak_SetParameter(espeakRANGE, voice.range, 0);
    return true;
}

} // namespace

namespace SpeechSynthesizer {

bool available()
{
    return sampleRate() > 0;
}

int sampleRate()
{
    // Known for good once the engine started, so it is answered while a read waiting for playback holds the engine.
    static const int rate = [] {
        const QMutexLocker lock(&engineMutex());
        return std::max(startedRate(), 0);
    }();
    return rate;
}

bool hasVoice(const char* language)
{
    const QMutexLocker lock(&engineMutex());
    return startedRate() > 0 && espeak_SetVoiceByName(language) == EE_OK;
}

bool synthesize(const QString& text, const VoiceChoice& voice, const std::function<bool(const qint16*, int)>& piece)
{
    const QMutexLocker lock(&engineMutex());
    if (startedRate() <= 0 || !selectVoice(voice)) {
        qCWarning(lcSpeech) << "no voice" << voice.language << voice.variant;
        return false;
    }
    const QByteArray utf8 = text.toUtf8();
    g_piece = &piece;
    espeak_SetSynthCallback(onSynthesised);
    const espeak_ERROR result = espeak_Synth(utf8.constData(), std::size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8, nullptr, nullptr);
    espeak_Synchronize();
    g_piece = nullptr;
    if (result != EE_OK)
        qCWarning(lcSpeech) << "the engine refused the text:" << result;
    return result == EE_OK;
}

QString phonemes(const QString& text, const char* language)
{
    const QMutexLocker lock(&engineMutex());
    if (startedRate() <= 0 || espeak_SetVoiceByName(language) != EE_OK)
        return {};
    const QByteArray utf8 = text.toUtf8();
    const void* rest = utf8.constData();
    QString all;
    while (rest) {
        const char* clause = espeak_TextToPhonemes(&rest, espeakCHARS_UTF8, 0);
        if (!clause)
            break;
        all += QString::fromUtf8(clause) + u' ';
    }
    return all.trimmed();
}

} // namespace SpeechSynthesizer
