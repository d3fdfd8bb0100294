#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

// One word the engine read, with its box in the picture as it is shown (EXIF orientation applied).
struct RecognisedWord {
    QRect box;
    QString text;
    bool vertical = false;
};

// The text of one picture: paragraphs on lines of their own, the words of a paragraph joined as they are read (no
// blank between Japanese characters), and the engine and data that read it.
struct Recognition {
    QString text;
    QList<RecognisedWord> words;
    QString engine;
    // The picture was read upside down and turned.
    bool turned = false;
};

namespace Ocr {

// Pictures larger than this are not read: the engine would take minutes and gigabytes.
inline constexpr qint64 kMaxPixels = 50'000'000;

// The engine's version and its language data, so text read by an older one can be read again.
QString engineVersion();

// Reads the text of a picture's stored bytes, in this process. The engine is started once per process. The failure
// says why nothing could be read (an empty, unreadable or oversized picture).
[[nodiscard]] Result<Recognition> recognise(const QByteArray& bytes);

// The words as stored beside the text: one a line, "x,y,w,h,v" and a tab before the word.
QString wordsText(const QList<RecognisedWord>& words);
QList<RecognisedWord> wordsFromText(const QString& text);

// The folder of the engine's language data.
QString languageDataFolder();

// Frames between the program and its reading child: a 32-bit length, then the bytes.
inline constexpr int kFrameHeader = 4;
// Far above any answer the child gives: a larger length means the child went wrong.
inline constexpr quint32 kLargestFrame = 512U * 1024U * 1024U;
QByteArray frame(const QByteArray& payload);

// What the child process sends back for one picture.
QByteArray encode(const Result<Recognition>& result);
[[nodiscard]] Result<Recognition> decode(const QByteArray& bytes);

} // namespace Ocr
