// Reading aloud: how soon a long body starts to be heard, and how soon a stop silences it.
#include "benchops.h"
#include "speech/audiosink.h"
#include "speech/speechplayer.h"
#include "speech/speechvoices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <stdexcept>

namespace {

constexpr int kReads = 5;

class TimedSink final : public AudioSink {
public:
    void start(int) override {}
    void write(const QByteArray& samples) override { heard += samples.size(); }
    void stop() override {}
    qint64 heard = 0;
};

// A 100,000-character Japanese body with kanji, read by Genie in Japanese.
QString longBody()
{
    return QStringLiteral("市議会は八日、新年度予算案の審議を始めた。総額は前年度比三％増の一兆二千億円。")
        .repeated(2500);
}

VoiceChoice japaneseGenie()
{
    const SpeechCharacter& genie = kSpeechCharacters[0];
    return {"ja", genie.variant, genie.pitch, genie.range, 175};
}

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Waits until the sink has received at least bytes, or fails after 30 s.
void waitForSound(const TimedSink& sink, qint64 bytes)
{
    QElapsedTimer timer;
    timer.start();
    while (sink.heard < bytes) {
        if (timer.elapsed() > 30000)
            throw std::runtime_error("no speech within 30 s");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
}

// From speak() to the first piece handed to the sound output, for text read kReads times.
std::vector<double> firstPieceTimes(const QString& text)
{
    std::vector<double> times;
    for (int i = 0; i < kReads; ++i) {
        TimedSink sink;
        SpeechPlayer player(sink);
        QElapsedTimer timer;
        timer.start();
        player.speak(QStringLiteral("\\spd=140\\") + text, japaneseGenie());
        waitForSound(sink, 1);
        times.push_back(msSince(timer));
        player.stop();
    }
    return times;
}

// From stop() during the long read until the synthesis has ended and nothing more can be heard.
std::vector<double> stopTimes(BenchContext&)
{
    std::vector<double> times;
    for (int i = 0; i < kReads; ++i) {
        TimedSink sink;
        SpeechPlayer player(sink);
        player.speak(QStringLiteral("\\spd=140\\") + longBody(), japaneseGenie());
        waitForSound(sink, 44100 * 2);
        QElapsedTimer timer;
        timer.start();
        player.stop();
        times.push_back(msSince(timer));
    }
    return times;
}

// The long body, and as the yardstick its first 100 characters alone.
std::vector<double> longStart(BenchContext&)
{
    return firstPieceTimes(longBody());
}

std::vector<double> shortRead(BenchContext&)
{
    return firstPieceTimes(longBody().left(100));
}

} // namespace

void registerSpeechOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(QStringLiteral("speech_start"), longStart, shortRead));
    registry.push_back(itemsOp(QStringLiteral("speech_stop"), stopTimes, shortRead));
}

namespace {

// A RIFF header for 16-bit mono samples.
QByteArray wavHeader(int sampleRate, qint64 dataBytes)
{
    QByteArray header;
    const auto put32 = [&header](quint32 value) {
        for (int i = 0; i < 4; ++i)
            header += char((value >> (8 * i)) & 0xff);
    };
    const auto put16 = [&header](quint16 value) {
        header += char(value & 0xff);
        header += char(value >> 8);
    };
    header += "RIFF";
    put32(quint32(36 + dataBytes));
    header += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(quint32(sampleRate));
    put32(quint32(sampleRate * 2));
    put16(2);
    put16(16);
    header += "data";
    put32(quint32(dataBytes));
    return header;
}

class RecordingSink final : public AudioSink {
public:
    void start(int rate) override { sampleRate = rate; }
    void write(const QByteArray& samples) override { pcm += samples; }
    void stop() override {}
    int sampleRate = 0;
    QByteArray pcm;
};

} // namespace

bool writeSpeechWav(const QString& path, const QString& text, const char* language)
{
    RecordingSink sink;
    SpeechPlayer player(sink);
    bool done = false;
    QObject::connect(&player, &SpeechPlayer::finished, [&done] { done = true; });
    const SpeechCharacter& genie = kSpeechCharacters[0];
    player.speak(QStringLiteral("\\spd=140\\") + text, {language, genie.variant, genie.pitch, genie.range, 175});
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QFile file(path);
    if (!done || sink.pcm.isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    file.write(wavHeader(sink.sampleRate, sink.pcm.size()) + sink.pcm);
    return file.error() == QFile::NoError;
}
