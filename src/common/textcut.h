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

// The longest start of text whose UTF-8 takes at most bytes, cut between characters: a file name's limit is in bytes.
inline QString leftWithinUtf8(const QString& text, qsizetype bytes)
{
    qsizetype units = 0;
    qsizetype used = 0;
    while (units < text.size()) {
        const bool pair =
            text.at(units).isHighSurrogate() && units + 1 < text.size() && text.at(units + 1).isLowSurrogate();
        const char16_t unit = text.at(units).unicode();
        const qsizetype size = pair ? 4 : unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        if (used + size > bytes)
            break;
        used += size;
        units += pair ? 2 : 1;
    }
    return text.left(units);
}
