#pragma once

#include "fulltextmatch.h"

#include <QColor>
#include <QList>
#include <QString>

class QTextDocument;

// The full-text marker on a scrap body: bold black text in the display font's face on the marker colour.
// Each marked piece keeps inside its own format what it looked like before, so that clearing gives exactly that
// back while the underline marks of the marking log stay as they are.
namespace FullTextMarker {

struct Style {
    QColor background;
    QString fontName;
};

// Marks every hit in one edit block. Not an edit the user could undo, and the document's modified flag stays.
void markHits(QTextDocument* document, const QList<FullText::Hit>& hits, const Style& style);
// Marks length characters from the 0-based start; a range beyond the end of the text is cut to it.
void MarkRange(QTextDocument* document, int start, int length, const Style& style);
// Gives every marked piece its look from before marking; where an underline mark was toggled on it since,
// the colour that toggle gave stays.
void clearMarks(QTextDocument* document);
// The number of characters that carry the marker.
int markedLength(const QTextDocument* document);

} // namespace FullTextMarker
