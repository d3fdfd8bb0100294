#pragma once

#include "common/result.h"

#include <QString>

#include <optional>

class Connection;

// The one row of Speak: the character, the index of its language and the speed.
struct SpeechSettings {
    QString character;
    int languageIndex = -1;
    int speed = 0;
};

// The first row, or nullopt when the table is empty. Throws DbError.
[[nodiscard]] std::optional<SpeechSettings> ReadSpeechSettings(Connection& connection);
// Writes the first row (adding it to an empty table): the character and language only when given, the speed
// always. Throws DbError.
void WriteSpeechSettings(Connection& connection, const std::optional<QString>& character,
                         std::optional<int> languageIndex, int speed);

// The open collection's settings for the windows: none when there is no collection or its row cannot be read
// (logged).
[[nodiscard]] std::optional<SpeechSettings> storedSpeechSettings(Connection* connection);
// WriteSpeechSettings with the failure told in words.
[[nodiscard]] Done storeSpeechSettings(Connection& connection, const std::optional<QString>& character,
                                       std::optional<int> languageIndex, int speed);
