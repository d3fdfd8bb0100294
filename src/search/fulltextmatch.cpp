#include "fulltextmatch.h"

#include "foldtable.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace FullText {
namespace {

std::u32string foldSlowly(char32_t c)
{
    // The ideographic variation selectors, like those of the BMP, fold into nothing.
    if (c >= 0xE0100 && c <= 0xE01EF)
        return {};
    const QString normal = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KC);
    std::u32string folded;
    for (const uint unit : normal.toUcs4())
        folded += char32_t(QChar::toCaseFolded(unit));
    return folded;
}

// Every character of the BMP folded once, from the table made at build time: searching the index folds hundreds of
// megabytes character by character.
class BmpFolds final {
public:
    BmpFolds()
    {
        m_pool.reserve(0x10000 + std::size(FoldTable::kPool));
        for (char32_t c = 0; c < 0x10000; ++c) {
            m_entries[c] = {quint32(c), 1};
            m_pool += c;
        }
        for (const FoldTable::Exception& e : FoldTable::kExceptions)
            m_entries[e.c] = {quint32(0x10000 + e.offset), e.length};
        m_pool.append(std::begin(FoldTable::kPool), std::end(FoldTable::kPool));
    }
    std::u32string_view at(char32_t c) const
    {
        const Entry& e = m_entries[c];
        return std::u32string_view(m_pool).substr(e.offset, e.length);
    }

private:
    struct Entry {
        quint32 offset;
        quint32 length;
    };
    std::vector<Entry> m_entries = std::vector<Entry>(0x10000);
    std::u32string m_pool;
};

} // namespace

std::u32string_view foldedChar(char32_t c)
{
    static const BmpFolds bmp;
    if (c < 0x10000)
        return bmp.at(c);
    thread_local std::u32string wide;
    wide = foldSlowly(c);
    return wide;
}

char32_t joinedKana(char32_t kana, char32_t mark)
{
    constexpr char32_t kFirst = 0x3040;
    constexpr char32_t kLast = 0x30FF;
    constexpr char32_t kVoiced = 0x3099;
    constexpr char32_t kSemiVoiced = 0x309A;
    if ((mark != kVoiced && mark != kSemiVoiced) || kana < kFirst || kana > kLast)
        return 0;
    static const std::vector<char32_t> joined = [] {
        std::vector<char32_t> table(2 * (kLast - kFirst + 1));
        for (char32_t base = kFirst; base <= kLast; ++base) {
            for (const char32_t sign : {kVoiced, kSemiVoiced}) {
                const char16_t units[] = {char16_t(base), char16_t(sign)};
                const QString pair = QString::fromUtf16(units, 2);
                const QString composed = pair.normalized(QString::NormalizationForm_C);
                if (composed.size() == 1)
                    table[2 * (base - kFirst) + (sign == kSemiVoiced)] = composed.at(0).unicode();
            }
        }
        return table;
    }();
    return joined[2 * (kana - kFirst) + (mark == kSemiVoiced)];
}

namespace {

// The comparison form with, for each of its units, the body position of the character it came from; one more
// entry holds the body's length. One character may fold into several, or into one outside the BMP.
struct Folded {
    QString text;
    QList<int> origin;
};

Folded fold(const QString& body)
{
    Folded folded;
    folded.text.reserve(body.size());
    folded.origin.reserve(body.size() + 1);
    for (int i = 0; i < body.size();) {
        const bool pair = body.at(i).isHighSurrogate() && i + 1 < body.size() && body.at(i + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(body.at(i), body.at(i + 1)) : body.at(i).unicode();
        const std::u32string_view folds = foldedChar(c);
        // A joined mark adds no unit: the kana's unit then stands for both characters.
        if (const char32_t joined = folds.size() == 1 && isSoundMark(folds.front()) && !folded.text.isEmpty()
                                        ? joinedKana(folded.text.back().unicode(), folds.front())
                                        : 0) {
            folded.text.back() = QChar(char16_t(joined));
            ++i;
            continue;
        }
        for (const char32_t f : folds) {
            if (QChar::requiresSurrogates(f)) {
                folded.text += QChar(QChar::highSurrogate(f));
                folded.text += QChar(QChar::lowSurrogate(f));
                folded.origin << i << i;
            } else {
                folded.text += QChar(char16_t(f));
                folded.origin << i;
            }
        }
        i += pair ? 2 : 1;
    }
    folded.origin << int(body.size());
    return folded;
}

Hit hitAt(const Folded& body, int index, int length)
{
    // A hit that ends inside what one character folded into takes in that whole character.
    const int start = body.origin.at(index);
    const int last = body.origin.at(index + length - 1);
    int end = index + length;
    while (body.origin.at(end) == last)
        ++end;
    return {start, body.origin.at(end) - start};
}

} // namespace

QString comparisonForm(const QString& text)
{
    return fold(text).text;
}

QList<Hit> findAll(const QString& body, const QString& word)
{
    QList<Hit> hits;
    const QString folded = comparisonForm(word);
    if (folded.isEmpty())
        return hits;
    const Folded text = fold(body);
    for (qsizetype at = text.text.indexOf(folded); at >= 0; at = text.text.indexOf(folded, at + folded.size()))
        hits.append(hitAt(text, int(at), int(folded.size())));
    return hits;
}

int FindInBody(const QString& body, const QString& word, int start)
{
    const QString folded = comparisonForm(word);
    if (folded.isEmpty() || start < 1 || start > body.size())
        return -1;
    const Folded text = fold(body);
    const auto from = std::lower_bound(text.origin.cbegin(), text.origin.cend(), start - 1) - text.origin.cbegin();
    const qsizetype at = text.text.indexOf(folded, from);
    return at < 0 ? -1 : text.origin.at(at) + 1;
}

} // namespace FullText
