#include "speechtext.h"

#include <QMutex>
#include <QRegularExpression>

#include <iconv.h>

extern "C" {
#include <libkakasi.h>
}

#include <algorithm>
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
    // Characters EUC-JP cannot hold would stop the conversion; each line is converted on its own, so one such
    // character costs its line the kana, not the whole text.
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        std::string euc = convert("UTF-8", "EUC-JP", line.toStdString());
        if (euc.empty())
            continue;
        char* converted = kakasi_do(euc.data());
        if (!converted)
            continue;
        const std::string utf8 = convert("EUC-JP", "UTF-8", converted);
        kakasi_free(converted);
        if (!utf8.empty())
            line = QString::fromStdString(utf8);
    }
    return lines.join(u'\n');
}
