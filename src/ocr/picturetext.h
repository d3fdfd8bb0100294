#pragma once

#include "recognition.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class Connection;

// The text read from each picture, kept in the collection beside the twelve tables: one row per picture, keyed by its
// picture set number and its size in bytes (stable where rowids are not), with the engine that read it, or the
// reason it could not be read. Functions throw DbError.
namespace PictureText {

// A picture still to be read.
struct Pending {
    qint64 rowid = 0;
    qint64 skID = 0;
    qint64 size = 0;
};

// What is stored for one picture.
struct Stored {
    QString text;
    QList<RecognisedWord> words;
    QString engine;
    QString problem;
};

// Makes the tables when missing; only for a file that was checked and may be written.
void ensureTables(Connection& connection);
bool exists(Connection& connection);

// Pictures of a scrap without text read by engine, the newest first.
QList<Pending> pending(Connection& connection, const QString& engine, int limit);
qint64 pendingCount(Connection& connection, const QString& engine);
// The bytes of a pending picture, unless it changed or went since it was listed.
[[nodiscard]] std::optional<QByteArray> bytesOf(Connection& connection, const Pending& picture);

// Stores the reading (or why there is none) in one transaction, unless the picture went meanwhile: false then.
[[nodiscard]] bool store(Connection& connection, const Pending& picture, const Result<Recognition>& reading);

// What is stored for the picture of that rowid, if anything.
[[nodiscard]] std::optional<Stored> ofPicture(Connection& connection, qint64 pictureRowid);

// The first picture of a set whose read text holds one of the words: its place in the set (from 0, in the order the
// pictures window steps), its rowid, the word, and how many pictures the set has.
struct Holding {
    int index = -1;
    qint64 rowid = 0;
    QString word;
    int count = 0;
};
[[nodiscard]] std::optional<Holding> firstHolding(Connection& connection, qint64 skID, const QStringList& words);

// The boxes (in the upright picture's pixels) of the recognised words that the searched words cover; a searched word
// may run across several boxes, and its blanks are ignored.
QList<QRect> boxesOf(const QList<RecognisedWord>& words, const QStringList& searched);

// Whether pictures of this collection are read at all; on unless turned off.
[[nodiscard]] bool isEnabled(Connection& connection);
void setEnabled(Connection& connection, bool enabled);

} // namespace PictureText

namespace PictureText {

// Copies the text of the picture sets into another file (a saved edition), inside its open transaction.
void copySets(Connection& from, Connection& to, const QList<qint64>& sets);

} // namespace PictureText
