#pragma once

#include "common/result.h"
#include "database/recordstore.h"

#include <QColor>
#include <QList>

class QTextCursor;
class Session;
class QTextDocument;

// Marks on a scrap body: passages drawn in the marker colour and underlined, replayed from the marking log.
namespace BodyMarks {

// A change of the body's text: removed characters at position replaced by added ones.
struct BodyEdit {
    int position = 0;
    int removed = 0;
    int added = 0;
};

// The change the document reported at position (removed characters replaced by added ones) narrowed to the
// characters that differ between before and after: an input method's commit reports its whole paragraph replaced.
// caret, the cursor's position after the change (or -1), places it within a run of one character.
[[nodiscard]] BodyEdit narrowedEdit(const QString& before, const QString& after, int position, int removed, int added,
                                    int caret);

// The log of a body of storedLength characters moved through the edits made since, so that each mark stays on its
// words: text typed before a mark moves it, text typed inside it widens it, a mark whose words were all deleted goes.
// A mark is first cut to the stored text, as every showing cuts it.
[[nodiscard]] QList<MarkRow> followEdits(const QList<MarkRow>& marks, const QList<BodyEdit>& edits,
                                         qsizetype storedLength);

// Applies the log in its order, so that a later action wins where ranges overlap. Ranges beyond the end of
// the text are cut to it. The replay is not an edit the user could undo.
void replay(QTextDocument* document, const QList<MarkRow>& marks, const QColor& stress);
// True when every character of the selection is underlined.
[[nodiscard]] bool isMarkedWhole(const QTextCursor& selection);
// Marks the selection, or unmarks it when it is marked as a whole; returns the action for the log.
MarkRow toggle(QTextCursor selection, const QColor& stress);
// Whether a scrap with the body pfID is still stored.
[[nodiscard]] bool scrapIsStored(Connection& connection, qint64 pfID);
// Logs a toggle of the selection for the body pfID, then draws it in the marker colour of the open collection;
// refused, the selection left as it was, when that scrap is no longer stored or the log cannot be written.
[[nodiscard]] Done toggleAndLog(Session& session, qint64 pfID, const QTextCursor& selection);

} // namespace BodyMarks
