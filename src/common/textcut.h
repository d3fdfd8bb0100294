#pragma once

#include <QString>

// The first width UTF-16 units of text, one fewer where the cut would keep half of a character (a surrogate pair):
// a lone half is stored as a replacement character.
inline QString leftWhole(const QString& text, qsizetype width)
{
    QString cut = text.left(width);
    if (cut.size() < text.size() && !cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}
