#include "speechtext.h"

#include <QMutex>
#include <QRegularExpression>

#include <iconv.h>

extern "C" {
#include <libkakasi.h>
}

#include <algorithm>
#include <optional>
#include <string>

namespace {

constexpr int kSlowestSpeed = 100;
constexpr int kFastestSpeed = 200;
constexpr int kSlowestWpm = 110;
constexpr int kFastestWpm = 330;

// iconv between two encodings; empty on failure.
std::string convert(const char* from, const char* to, const std::string& input)
{
    iconv_t converter = iconv_open(to, from);
    if (converter == iconv_t(-1))
        return {};
    std::string output(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == std::size_t(-1))
        return {};
    output.resize(output.size() - outLeft);
    return output;
}

// kakasi's reading of text in kana, or nothing when EUC-JP cannot hold the text; kakasi's lock is held.
std::optional<QString> kanaOfRun(const QString& text)
{
    if (text.isEmpty())
        return text;
    std::string euc = convert("UTF-8", "EUC-JP", text.toStdString());
    if (euc.empty())
        return std::nullopt;
    char* converted = kakasi_do(euc.data());
    if (!converted)
        return text;
    const std::string utf8 = convert("EUC-JP", "UTF-8", converted);
    kakasi_free(converted);
    return utf8.empty() ? text : QString::fromStdString(utf8);
}

} // namespace

SpeechRequest parseSpeechRequest(const QString& tagged)
{
    static const QRegularExpression tag(QStringLiteral("^\\\\spd=(\\d+)\\\\"));
    const QRegularExpressionMatch match = tag.match(tagged);
    if (!match.hasMatch())
        return {0, tagged};
    return {match.captured(1).toInt(), tagged.mid(match.capturedLength())};
}

int wordsPerMinute(int speed)
{
    const int held = std::clamp(speed, kSlowestSpeed, kFastestSpeed);
    return kSlowestWpm + (held - kSlowestSpeed) * (kFastestWpm - kSlowestWpm) / (kFastestSpeed - kSlowestSpeed);
}

QString toKana(const QString& text)
{
    // kakasi keeps its options and dictionary in globals, and reads and writes EUC-JP only.
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    static const bool ready = [] {
        const char* argv[] = {"kakasi", "-JH", "-KH", "-ieuc", "-oeuc", nullptr};
        return kakasi_getopt_argv(5, const_cast<char**>(argv)) == 0;
    }();
    if (!ready)
        return text;
    // Characters EUC-JP cannot hold (①, 𠮷) would stop the conversion: a line holding one is converted in the runs
    // between them, which keep their kana, and the characters themselves are passed on as they are.
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (const std::optional<QString> kana = kanaOfRun(line)) {
            line = *kana;
            continue;
        }
        QString read;
        QString run;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const qsizetype width = line.at(i).isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
            const QString character = line.mid(i, width);
            i += width - 1;
            if (!convert("UTF-8", "EUC-JP", character.toStdString()).empty()) {
                run += character;
                continue;
            }
            read += kanaOfRun(run).value_or(run) + character;
            run.clear();
        }
        line = read + kanaOfRun(run).value_or(run);
    }
    return lines.join(u'\n');
}
