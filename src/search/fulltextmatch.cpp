#include "fulltextmatch.h"

#include <algorithm>

namespace FullText {
namespace {

constexpr char32_t kFullWidthFirst = 0xFF01; // "！"
constexpr char32_t kFullWidthLast = 0xFF5E;  // "～"
constexpr char32_t kFullWidthOffset = 0xFF01 - 0x21;

char32_t comparable(char32_t c)
{
    if (c >= kFullWidthFirst && c <= kFullWidthLast)
        c -= kFullWidthOffset;
    return QChar::toCaseFolded(c);
}

// The comparison form with, for each of its units, the body position of the character it came from; one more
// entry holds the body's length. Folding may turn a character outside the BMP into one inside or back.
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
        const char32_t f = comparable(c);
        if (QChar::requiresSurrogates(f)) {
            folded.text += QChar(QChar::highSurrogate(f));
            folded.text += QChar(QChar::lowSurrogate(f));
            folded.origin << i << i;
        } else {
            folded.text += QChar(char16_t(f));
            folded.origin << i;
        }
        i += pair ? 2 : 1;
    }
    folded.origin << int(body.size());
    return folded;
}

Hit hitAt(const Folded& body, int index, int length)
{
    const int start = body.origin.at(index);
    return {start, body.origin.at(index + length) - start};
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
