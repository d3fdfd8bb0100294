#pragma once

#include <QString>

// The first width characters of text, as a column's width counts them: a surrogate pair (an emoji, a rare kanji) is
// one character, never cut in half.
inline QString leftWhole(const QString& text, qsizetype width)
{
    qsizetype units = 0;
    for (qsizetype characters = 0; units < text.size() && characters < width; ++characters) {
        const bool pair =
            text.at(units).isHighSurrogate() && units + 1 < text.size() && text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}
