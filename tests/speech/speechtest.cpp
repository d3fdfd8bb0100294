#include "speechtest.h"

#include "speech/audiosink.h"
#include "speech/speechplayer.h"
#include "speech/speechtext.h"
#include "speech/speechvoices.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Keeps what would have been heard.
class RecordingSink final : public AudioSink {
public:
    void start(int rate) override
    {
        sampleRate = rate;
        ++starts;
    }
    void write(const QByteArray& samples) override { heard += samples; }
    void stop() override { ++stops; }

    int sampleRate = 0;
    int starts = 0;
    int stops = 0;
    QByteArray heard;
};

VoiceChoice voiceOf(int character, const char* language = "en-us")
{
    const SpeechCharacter& c = kSpeechCharacters[std::size_t(character)];
    return {language, c.variant, c.pitch, c.range, 175};
}

// Reads text to the end and returns what was heard.
QByteArray readToTheEnd(const QString& tagged, const VoiceChoice& voice)
{
    RecordingSink sink;
    SpeechPlayer player(sink);
    QSignalSpy finished(&player, &SpeechPlayer::finished);
    player.speak(tagged, voice);
    if (!finished.wait(30000))
        return {};
    return sink.heard;
}

// Sign changes per second: higher for a higher voice.
double crossingsPerSecond(const QByteArray& pcm, int rate)
{
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    int crossings = 0;
    for (qsizetype i = 1; i < count; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    return count ? crossings * double(rate) / double(count) : 0;
}

} // namespace

void SpeechTest::speedTag_data()
{
    QTest::addColumn<QString>("tagged");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("text");
    QTest::newRow("speed and text") << u"\\spd=160\\abc"_s << 160 << u"abc"_s;
    QTest::newRow("text after the tag kept whole")
        << u"\\spd=100\\\\spd=9\\ 二行\n目"_s << 100 << u"\\spd=9\\ 二行\n目"_s;
    QTest::newRow("no tag") << u"abc"_s << 0 << u"abc"_s;
    QTest::newRow("tag without digits") << u"\\spd=\\abc"_s << 0 << u"\\spd=\\abc"_s;
}

void SpeechTest::speedTag()
{
    QFETCH(QString, tagged);
    QFETCH(int, speed);
    QFETCH(QString, text);
    const SpeechRequest request = parseSpeechRequest(tagged);
    QCOMPARE(request.speed, speed);
    QCOMPARE(request.text, text);
    QVERIFY(wordsPerMinute(100) < wordsPerMinute(140));
    QVERIFY(wordsPerMinute(140) < wordsPerMinute(200));
    QCOMPARE(wordsPerMinute(50), wordsPerMinute(100));
}

void SpeechTest::japanese_withKanji_isReadAsJapanese()
{
    const QString text = u"検索総数は十二件です。Zettora は 2024年に"_s;
    // Without kana the engine reads each kanji as "Chinese letter" in English.
    QVERIFY(SpeechSynthesizer::phonemes(u"検索"_s, "ja").contains(u"tS'aIni:z"_s));
    const QString kana = toKana(text);
    QVERIFY2(kana.startsWith(u"けんさくそうすうはじゅうにけんです。"_s), qPrintable(kana));
    QVERIFY(kana.contains(u"Zettora"_s) && kana.contains(u"2024"_s));
    const QString phonemes = SpeechSynthesizer::phonemes(kana, "ja");
    QVERIFY2(phonemes.startsWith(u"k,eu~s,akus,ous,u:"_s), qPrintable(phonemes));
    QVERIFY2(!phonemes.contains(u"tS'aIni:z"_s), qPrintable(phonemes));
    // Latin letters and digits are words, not spelled letter by letter.
    QVERIFY2(!phonemes.contains(u"z'i:"_s), qPrintable(phonemes));
}

void SpeechTest::speed_andCharacters_changeWhatIsHeard()
{
    const QString text = u"The quick brown fox jumps over the lazy dog."_s;
    const QByteArray slow = readToTheEnd(u"\\spd=100\\"_s + text, voiceOf(0));
    const QByteArray fast = readToTheEnd(u"\\spd=200\\"_s + text, voiceOf(0));
    QVERIFY(!slow.isEmpty() && !fast.isEmpty());
    QVERIFY2(fast.size() < slow.size() * 3 / 4, qPrintable(u"%1 / %2"_s.arg(fast.size()).arg(slow.size())));

    QList<QByteArray> voices;
    for (int character = 0; character < int(kSpeechCharacters.size()); ++character)
        voices << readToTheEnd(u"\\spd=140\\"_s + text, voiceOf(character));
    for (int a = 0; a < voices.size(); ++a) {
        for (int b = a + 1; b < voices.size(); ++b)
            QVERIFY2(voices.at(a) != voices.at(b), qPrintable(u"characters %1 and %2 sound alike"_s.arg(a).arg(b)));
    }
    // Peedy is the high voice, Marlin the low one.
    const int rate = SpeechSynthesizer::sampleRate();
    QVERIFY(crossingsPerSecond(voices.at(2), rate) > crossingsPerSecond(voices.at(1), rate));
}

void SpeechTest::stop_cutsALongReadAtOnce()
{
    RecordingSink sink;
    SpeechPlayer player(sink);
    const QString body = u"長い記事の本文です。"_s.repeated(10000);
    player.speak(u"\\spd=140\\"_s + body, voiceOf(0, "ja"));
    QTRY_VERIFY_WITH_TIMEOUT(!sink.heard.isEmpty(), 20000);
    QVERIFY(player.isSpeaking());
    player.stop();
    QCOMPARE(sink.stops, 1);
    QVERIFY(!player.isSpeaking());
    // Nothing of the cut read arrives afterwards.
    const qsizetype heard = sink.heard.size();
    QTest::qWait(300);
    QCOMPARE(sink.heard.size(), heard);
    // A new read after the stop is heard.
    player.speak(u"\\spd=140\\abc"_s, voiceOf(3));
    QTRY_VERIFY_WITH_TIMEOUT(sink.heard.size() > heard, 20000);
}
