#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

struct GeneratorOptions {
    int scraps = 32767; // 0 to kMaxGeneratedScraps
    quint32 seed = 20240601;
    // The number of the first scrap and picture set; the rest follow it, so numbers past 32,767 can be measured.
    qint64 firstNumber = 1;
    // Told now and then how many scraps are written; the last call has done == total.
    std::function<void(int done, int total)> progress;
    // Builds the body index after the scraps, as the program would on opening.
    bool bodyIndex = true;
};

inline constexpr int kMaxGeneratedScraps = 1000000;

// The rare words the generator puts into every body, by the first code point of each block. A collection larger
// than 32,767 scraps draws from pools as many times larger (further kanji from Extension A), so that each word
// stays in about as many bodies whatever the size.
namespace BenchWords {
inline constexpr char32_t kSingleFirst = 0x9C00;   // one kanji of 64
inline constexpr char32_t kPairFirst = 0x9D00;     // two kanji, 64 pairs
inline constexpr char32_t kFourFirst = 0x9E00;     // two kanji of 32 + 32, then 計画
inline constexpr char32_t kDistrictFirst = 0x9F00; // two kanji, 8 pairs
// A phrase of common characters: each of its pairs is in thousands of bodies, the whole in about one in 3,000.
inline constexpr char16_t kCommonPhrase[] = u"日銀が円安";
} // namespace BenchWords

// Makes a new collection at path with the program's own creation code and fills it, in one transaction, with a
// three-level class tree, scraps with bodies and marks, and pictures for one scrap in ten. The same options always
// give the same collection. Needs a QGuiApplication (pictures are encoded as JPEG). Throws DbError, or
// std::runtime_error when the options are out of range or no JPEG encoder is available.
// image as JPEG bytes; throws std::runtime_error when no encoder is available.
QByteArray encodeJpeg(const QImage& image, int quality);

void generateCollection(const QString& path, const GeneratorOptions& options = {});
