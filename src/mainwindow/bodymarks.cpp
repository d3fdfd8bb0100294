#include "bodymarks.h"

#include "common/colourvalue.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "mainwindowlog.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace BodyMarks {
namespace {

void format(QTextCursor& cursor, bool marked, const QColor& stress)
{
    QTextCharFormat f;
    f.setForeground(marked ? stress : QColor(Qt::black));
    f.setFontUnderline(marked);
    cursor.mergeCharFormat(f);
}

} // namespace

BodyEdit narrowedEdit(const QString& before, const QString& after, int position, int removed, int added, int caret)
{
    // The document may count its final separator, which neither text holds.
    position = int(std::clamp<qsizetype>(position, 0, std::min(before.size(), after.size())));
    removed = int(std::clamp<qsizetype>(removed, 0, before.size() - position));
    added = int(std::clamp<qsizetype>(added, 0, after.size() - position));
    // Among a run of one character ("いい"), where the typing went is told by the caret, which stands after it.
    int mostSame = std::min(removed, added);
    if (caret >= position && caret <= position + added)
        mostSame = std::min(mostSame, std::max(0, caret - position - std::max(added - removed, 0)));
    int same = 0;
    while (same < mostSame && before.at(position + same) == after.at(position + same))
        ++same;
    int sameEnd = 0;
    while (sameEnd < removed - same && sameEnd < added - same &&
           before.at(position + removed - 1 - sameEnd) == after.at(position + added - 1 - sameEnd))
        ++sameEnd;
    return {position + same, removed - same - sameEnd, added - same - sameEnd};
}

QList<MarkRow> followEdits(const QList<MarkRow>& marks, const QList<BodyEdit>& edits, qsizetype storedLength)
{
    QList<MarkRow> moved;
    for (const MarkRow& mark : marks) {
        qint64 start = std::clamp<qint64>(mark.startP, 0, storedLength);
        qint64 end = std::clamp<qint64>(qint64(mark.startP) + std::max(mark.selLen, 0), start, storedLength);
        for (const BodyEdit& edit : edits) {
            const qint64 editEnd = qint64(edit.position) + edit.removed;
            const qint64 shift = qint64(edit.added) - edit.removed;
            // A start in the removed text moves past what replaced it, an end there back to where the edit began.
            start = start < edit.position ? start : start >= editEnd ? start + shift : edit.position + edit.added;
            end = end <= edit.position ? end : end >= editEnd ? end + shift : edit.position;
        }
        if (end > start)
            moved.append({mark.selUnder, int(start), int(end - start)});
    }
    return moved;
}

void replay(QTextDocument* document, const QList<MarkRow>& marks, const QColor& stress)
{
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    const int end = document->characterCount() - 1; // the document's own final separator is not text
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const MarkRow& mark : marks) {
        // In 64 bits: a mark from another tool may start and run near the limit of an int.
        const int start = int(std::clamp<qint64>(mark.startP, 0, end));
        const int stop = int(std::clamp<qint64>(qint64(mark.startP) + std::max(mark.selLen, 0), start, end));
        if (stop == start)
            continue;
        cursor.setPosition(start);
        cursor.setPosition(stop, QTextCursor::KeepAnchor);
        format(cursor, !mark.selUnder, stress);
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undo);
}

bool isMarkedWhole(const QTextCursor& selection)
{
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    if (start == end)
        return false;
    const QTextDocument* document = selection.document();
    for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = fragment.position();
            const int to = from + fragment.length();
            if (to <= start || from >= end)
                continue;
            if (!fragment.charFormat().fontUnderline())
                return false;
        }
    }
    return true;
}

namespace {

MarkRow rowOf(const QTextCursor& selection)
{
    MarkRow row;
    row.startP = selection.selectionStart();
    row.selLen = selection.selectionEnd() - row.startP;
    row.selUnder = isMarkedWhole(selection);
    return row;
}

void draw(QTextCursor selection, const MarkRow& row, const QColor& stress)
{
    selection.beginEditBlock();
    format(selection, !row.selUnder, stress);
    selection.endEditBlock();
}

} // namespace

MarkRow toggle(QTextCursor selection, const QColor& stress)
{
    const MarkRow row = rowOf(selection);
    draw(selection, row, stress);
    return row;
}

} // namespace BodyMarks

bool BodyMarks::scrapIsStored(Connection& connection, qint64 pfID)
{
    Query scrap(connection, QStringLiteral("SELECT 1 FROM MEMO_IDX WHERE pfID = ? LIMIT 1"));
    scrap.bind(1, pfID);
    return scrap.next();
}

Done BodyMarks::toggleAndLog(Session& session, qint64 pfID, const QTextCursor& selection)
{
    try {
        // A scrap deleted since (its class deleted in the tree editor) takes no mark: the row would belong to nothing.
        if (!scrapIsStored(*session.connection(), pfID))
            throw DbError(DbError::kNoCurrentRow, QStringLiteral("the marked scrap is gone"));
        // Drawn once stored: a mark on the screen that is not in the file would be taken away by the next try.
        const MarkRow row = rowOf(selection);
        AppendMarkRow(*session.connection(), pfID, row);
        draw(selection, row, ColourValue::toColour(session.markers.stress));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot log the mark:" << e.message();
        return e.failure(QStringLiteral("下線を記録できませんでした。"));
    }
    return {};
}
