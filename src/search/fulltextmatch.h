#pragma once

#include <QList>
#include <QString>

#include <string_view>

// Finding a word in a scrap body as full-text search compares: each character is taken in its compatibility form
// (NFKC: full-width Latin letters, digits and signs equal their half-width forms, half-width katakana the full-width
// ones, a sound mark joined to its kana) and letter case is ignored (Unicode case folding).
namespace FullText {

// The comparison form of one character: usually one character, sometimes none or several. The view stays valid
// until the next call on the same thread.
std::u32string_view foldedChar(char32_t c);

// A voiced or semi-voiced sound mark standing alone after a kana joins it (half-width ｶﾞ, or か followed by U+3099,
// compare as ガ and が): the kana they make together, or 0 when these two do not join.
char32_t joinedKana(char32_t kana, char32_t mark);
// Whether c is a sound mark joinedKana may join: asked first, inline, of every character.
constexpr bool isSoundMark(char32_t c)
{
    return c == 0x3099 || c == 0x309A;
}

// A place in the body, in the body's own UTF-16 units, 0-based.
struct Hit {
    int start = 0;
    int length = 0;
    friend bool operator==(const Hit&, const Hit&) = default;
};

// The form in which word and body are compared.
QString comparisonForm(const QString& text);

// Every occurrence from left to right; each search resumes after the end of the previous hit, so that hits
// never overlap ("aa" in "aaa" is found once).
QList<Hit> findAll(const QString& body, const QString& word);

// The 1-based position of the first occurrence at or after the 1-based start, or -1 when there is none (also
// for an empty word or a start outside the body).
int FindInBody(const QString& body, const QString& word, int start);

} // namespace FullText
