#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

// Converting an old Access collection (Jet 4 .mdb with the twelve tables) into a collection of ours.
namespace LegacyImport {

// Why a conversion did not happen, in words for the user; nothing was written.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

struct TableCount {
    QString table;
    qint64 read = 0;
    qint64 written = 0;
};

// What a conversion did: rows per table, and every value it had to change, each line naming its scrap.
struct Report {
    int kind = 0; // 2 collection, -2 saved edition
    QList<TableCount> tables;
    QStringList changes;
    int marksShifted = 0;
    int timesDropped = 0;
    int valuesCut = 0;     // memos and pictures whose pages did not hold what their rows say, texts too long
    int valuesRefused = 0; // values left out: unreadable, pictures over the pictures window's limit, wrong kinds
    int countersMoved = 0; // IDno counters moved up to the largest number in use
    int numbersShared = 0; // numbers in use by more than one scrap or favourite
    QString text() const;
};

struct Options {
    // Told the table being copied and the rows copied from it so far.
    std::function<void(const QString& table, qint64 rows)> progress;
    // Asked between rows; true stops the conversion, which then leaves nothing behind.
    std::function<bool()> cancelled;
};

// Reads oldPath (only ever read) and writes the collection at newPath under a temporary name, renamed into place
// only when complete. Refuses an existing newPath. Throws ImportError; on cancel the message is kCancelled.
Report convert(const QString& oldPath, const QString& newPath, const Options& options = {});

inline const QString kCancelled = QStringLiteral("取り込みを中止しました。");

// An old body with its line ends as the program keeps them: each CRLF one "\n", and a CR standing alone "\n" too
// (one unit for one, so no mark moves), where the text box would otherwise count it with the line end after it.
QString bodyWithLineFeeds(const QString& old);
// The positions of the CRs of each CRLF in an old body, ascending.
QList<int> crlfPositions(const QString& old);
// The text offset a mark's start or end has once each CRLF of its body before it is one "\n". crlf holds the
// positions of the CRs in the old body, ascending.
qint64 shiftedStart(qint64 start, const QList<int>& crlf);
qint64 shiftedEnd(qint64 end, const QList<int>& crlf);

// What a table of a collection holds, in the words the import's windows and report use ("MEMO_IDX": スクラップ).
QString contentOf(const QString& table);

} // namespace LegacyImport
