#include "speechtest.h"

#include "speech/audiosink.h"
#include "speech/modulespeech.h"
#include "speech/speechplayer.h"
#include "speech/speechtext.h"
#include "speech/speechvoices.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// Keeps what would have been heard. A paced one plays only when told to, as a sound card that has not caught up yet,
// and notes the most it ever held unheard.
class RecordingSink final : public AudioSink {
public:
    explicit RecordingSink(bool paced = false)
        : paced(paced)
    {}
    void start(int rate) override
    {
        sampleRate = rate;
        ++starts;
    }
    void write(const QByteArray& samples) override
    {
        heard += samples;
        most = std::max(most, unheardBytes());
    }
    void stop() override
    {
        ++stops;
        heard.truncate(played);
    }
    qint64 unheardBytes() const override { return paced ? heard.size() - played : 0; }
    void playAll()
    {
        played = heard.size();
        notifyHeard();
    }

    bool paced;
    int sampleRate = 0;
    int starts = 0;
    int stops = 0;
    QByteArray heard;
    qint64 played = 0;
    qint64 most = 0;
};

// Waits until synthesis has run as far ahead as it may (within a piece of 100 ms); false once the read has ended.
bool waitUntilFull(const SpeechPlayer& player, const RecordingSink& sink, const QSignalSpy& finished)
{
    const qint64 piece = SpeechSynthesizer::sampleRate() / 5;
    return QTest::qWaitFor([&] { return sink.unheardBytes() >= player.aheadLimit() - piece || !finished.isEmpty(); },
                           20000) &&
           finished.isEmpty();
}

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
    // A character EUC-JP lacks costs its line no kana.
    for (const QString& lacking : {u"①"_s, u"𠮷"_s}) {
        const QString line = toKana(lacking + u"検索総数は" + lacking);
        QVERIFY2(line == lacking + u"けんさくそうすうは" + lacking, qPrintable(line));
    }
}

void SpeechTest::speed_andCharacters_changeWhatIsHeard()
{
    const QString text = u"The quick brown fox jumps over the lazy dog."_s;
    const QByteArray slow = readToTheEnd(u"\\spd=100\\"_s + text, voiceOf(0));
    const QByteArray fast = readToTheEnd(u"\\spd=200\\"_s + text, voiceOf(0));
    QVERIFY(!slow.isEmpty() && !fast.isEmpty());
    // A NUL in the text ends no reading.
    const QByteArray cut = readToTheEnd(u"\\spd=200\\The quick"_s + QChar::Null + text, voiceOf(0));
    QVERIFY2(cut.size() > fast.size(), qPrintable(u"%1 / %2"_s.arg(cut.size()).arg(fast.size())));
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
    // The sink never plays, so each read is cut while synthesis waits for playback.
    RecordingSink sink(true);
    SpeechPlayer player(sink);
    QSignalSpy finished(&player, &SpeechPlayer::finished);
    const QString body = u"\\spd=140\\"_s + u"長い記事の本文です。"_s.repeated(10000);
    player.speak(body, voiceOf(0, "ja"));
    QVERIFY(waitUntilFull(player, sink, finished));
    // A new read cuts it and is heard to its end.
    player.speak(u"\\spd=140\\abc"_s, voiceOf(3));
    QCOMPARE(sink.stops, 1);
    QVERIFY(sink.heard.isEmpty());
    QVERIFY(finished.wait(20000) && !sink.heard.isEmpty());
    sink.playAll();
    finished.clear();
    player.speak(body, voiceOf(0, "ja"));
    QVERIFY(waitUntilFull(player, sink, finished));
    player.stop();
    QCOMPARE(sink.stops, 2);
    QVERIFY(!player.isSpeaking());
    // Nothing of the cut read arrives afterwards.
    QTest::qWait(300);
    QCOMPARE(sink.heard.size(), sink.played);
}

void SpeechTest::speak_staysABoundedStretchAheadOfWhatIsHeard()
{
    const QString text = u"\\spd=140\\"_s + u"The quick brown fox jumps over the lazy dog. "_s.repeated(8);
    RecordingSink sink(true);
    SpeechPlayer player(sink);
    QSignalSpy finished(&player, &SpeechPlayer::finished);
    player.speak(text, voiceOf(0));
    int waits = 0;
    for (; waitUntilFull(player, sink, finished); ++waits)
        sink.playAll();
    sink.playAll();
    QVERIFY2(waits >= 3 && sink.most <= player.aheadLimit(), qPrintable(u"%1 %2"_s.arg(waits).arg(sink.most)));
    // Nothing lost while waiting: as long as a read taken at once, but for the engine's variation of a few samples.
    QVERIFY(std::abs(sink.played - readToTheEnd(text, voiceOf(0)).size()) < SpeechSynthesizer::sampleRate() / 25);
}

void SpeechTest::characterWindow_keptOnScreen_hiddenByItsMenu_data()
{
    QTest::addColumn<QPoint>("place");
    QTest::newRow("where the main window puts it") << QPoint(1050, 600);
    QTest::newRow("inside the screen") << QPoint(100, 50);
    QTest::newRow("above and left of the screen") << QPoint(-40, -40);
}

void SpeechTest::characterWindow_keptOnScreen_hiddenByItsMenu()
{
    QFETCH(QPoint, place);
    ModuleSpeech speech; // the program's own: the engine comes from the speech module
    QVERIFY(speech.load(u"Genie"_s, u"Genie"_s));
    speech.moveTo(place.x(), place.y());
    speech.show();
    QWidget* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        window = widget->objectName() == u"speechCharacter" && widget->isVisible() ? widget : window;
    QVERIFY(window);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(window->frameGeometry()));
    if (screen.contains(QRect(place, window->frameGeometry().size())))
        QCOMPARE(window->pos(), place);
    // Put away from its menu, it comes back with the next read.
    auto* hide = window->findChild<QAction*>(u"hideCharacter"_s);
    QVERIFY(window->contextMenuPolicy() == Qt::ActionsContextMenu && hide->text() == u"隠す"_s);
    hide->trigger();
    QVERIFY(window->isHidden());
    speech.speak(u"\\spd=140\\abc"_s);
    QVERIFY(window->isVisible());
}
