#include "fulltextmarker.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace FullTextMarker {
namespace {

// What the marker sets; the format from before is kept under user properties, one per property.
constexpr std::array<int, 7> kOwnProperties{QTextFormat::FontWeight,         QTextFormat::FontFamilies,
                                            QTextFormat::ForegroundBrush,    QTextFormat::BackgroundBrush,
                                            QTextFormat::TextUnderlineStyle, QTextFormat::FontItalic,
                                            QTextFormat::FontStrikeOut};
constexpr int kMarked = QTextFormat::UserProperty + 0x5A00;
constexpr int kSavedBase = kMarked + 2;

struct Piece {
    int start;
    int end;
    QTextCharFormat format;
};

// Calls visit(start, end, format) for each fragment of text, in document order.
template <typename Visit> void forEachFragment(const QTextDocument* document, Visit visit)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            visit(fragment.position(), fragment.position() + fragment.length(), fragment.charFormat());
        }
    }
}

QTextCharFormat markerFormat(const QTextCharFormat& before, const Style& style)
{
    QTextCharFormat format;
    if (!before.hasProperty(kMarked)) {
        format.setProperty(kMarked, true);
        for (std::size_t i = 0; i < kOwnProperties.size(); ++i) {
            if (before.hasProperty(kOwnProperties[i]))
                format.setProperty(kSavedBase + int(i), before.property(kOwnProperties[i]));
        }
    }
    // The marker's look alone: bold, black, upright, neither underlined nor struck out.
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(false);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
    format.setForeground(QColor(Qt::black));
    if (!style.fontName.isEmpty())
        format.setFontFamilies({style.fontName});
    format.setBackground(style.background);
    return format;
}

QTextCharFormat restoredFormat(QTextCharFormat format)
{
    // The marker shows no underline: one there now was toggled on since, with its own colour, and both stay.
    const bool toggledSince = format.fontUnderline();
    for (std::size_t i = 0; i < kOwnProperties.size(); ++i) {
        const int property = kOwnProperties[i];
        const int saved = kSavedBase + int(i);
        const bool keep =
            toggledSince && (property == QTextFormat::ForegroundBrush || property == QTextFormat::TextUnderlineStyle);
        if (!keep && format.hasProperty(saved))
            format.setProperty(property, format.property(saved));
        else if (!keep)
            format.clearProperty(property);
        format.clearProperty(saved);
    }
    format.clearProperty(kMarked);
    return format;
}

// Applies each piece's format without entering the undo history and without touching the modified flag.
template <typename Apply> void quietEdit(QTextDocument* document, const QList<Piece>& pieces, Apply apply)
{
    if (pieces.isEmpty())
        return;
    const bool undo = document->isUndoRedoEnabled();
    const bool modified = document->isModified();
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const Piece& piece : pieces) {
        cursor.setPosition(piece.start);
        cursor.setPosition(piece.end, QTextCursor::KeepAnchor);
        apply(cursor, piece.format);
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undo);
    document->setModified(modified);
}

} // namespace

void markHits(QTextDocument* document, const QList<FullText::Hit>& hits, const Style& style)
{
    if (!document || hits.isEmpty())
        return;
    // One walk over the fragments cuts the hits where the format below them changes: it takes them in the order of
    // the text, whatever word each came from.
    QList<FullText::Hit> sorted = hits;
    std::ranges::stable_sort(sorted, {}, &FullText::Hit::start);
    QList<Piece> pieces;
    pieces.reserve(sorted.size());
    qsizetype next = 0;
    forEachFragment(document, [&](int from, int to, const QTextCharFormat& format) {
        while (next < sorted.size()) {
            const FullText::Hit& hit = sorted.at(next);
            const int start = std::max(hit.start, from);
            const int end = std::min(hit.start + hit.length, to);
            if (hit.start >= to)
                return;
            if (start < end)
                pieces.append({start, end, markerFormat(format, style)});
            if (hit.start + hit.length > to)
                return;
            ++next;
        }
    });
    quietEdit(document, pieces,
              [](QTextCursor& cursor, const QTextCharFormat& format) { cursor.mergeCharFormat(format); });
}

void MarkRange(QTextDocument* document, int start, int length, const Style& style)
{
    if (!document || length <= 0)
        return;
    const int end = document->characterCount() - 1; // the final separator is not text
    const int from = std::clamp(start, 0, end);
    const int to = std::clamp(start + length, from, end);
    if (to > from)
        markHits(document, {{from, to - from}}, style);
}

void clearMarks(QTextDocument* document)
{
    if (!document)
        return;
    QList<Piece> pieces;
    forEachFragment(document, [&](int from, int to, const QTextCharFormat& format) {
        if (format.hasProperty(kMarked))
            pieces.append({from, to, restoredFormat(format)});
    });
    quietEdit(document, pieces,
              [](QTextCursor& cursor, const QTextCharFormat& format) { cursor.setCharFormat(format); });
}

int markedLength(const QTextDocument* document)
{
    int length = 0;
    if (document) {
        forEachFragment(document, [&](int from, int to, const QTextCharFormat& format) {
            if (format.hasProperty(kMarked))
                length += to - from;
        });
    }
    return length;
}

} // namespace FullTextMarker
