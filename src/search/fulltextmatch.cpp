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
        for (const char32_t f : foldedChar(c)) {
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
