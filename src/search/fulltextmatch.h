#pragma once

#include <QList>
#include <QString>

// Finding a word in a scrap body as full-text search compares: letter case is ignored (Unicode case folding),
// and full-width Latin letters, digits and signs equal their half-width forms.
namespace FullText {

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
