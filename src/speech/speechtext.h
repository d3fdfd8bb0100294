#pragma once

#include <QString>

// What the speech layer is asked to say: "\spd=N\" followed by the text.
struct SpeechRequest {
    int speed = 0; // 0 when the text carries no speed tag
    QString text;
};

SpeechRequest parseSpeechRequest(const QString& tagged);
// The speed 100 (slow) to 200 (fast) as espeak-ng's words per minute; outside that range it is held to it.
int wordsPerMinute(int speed);
// Kanji (and katakana) turned into hiragana, so that a Japanese voice reads them as Japanese; other text is kept.
QString toKana(const QString& text);
