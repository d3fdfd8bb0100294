#include "speechstore.h"

#include "database/dberror.h"
#include "database/query.h"
#include "database/transaction.h"
#include "speechlog.h"

std::optional<SpeechSettings> ReadSpeechSettings(Connection& connection)
{
    Query row(connection, QStringLiteral("SELECT Character, LanguageID, Speed FROM Speak ORDER BY rowid LIMIT 1"));
    if (!row.next())
        return std::nullopt;
    return SpeechSettings{row.text(0), row.isNull(1) ? -1 : int(row.integer(1)), int(row.integer(2))};
}

void WriteSpeechSettings(Connection& connection, const std::optional<QString>& character,
                         std::optional<int> languageIndex, int speed)
{
    Transaction transaction(connection);
    Query add(connection, QStringLiteral("INSERT INTO Speak (Character, LanguageID, Speed) SELECT NULL, NULL, NULL "
                                         "WHERE NOT EXISTS (SELECT 1 FROM Speak)"));
    add.run();
    const QString first = QStringLiteral(" WHERE rowid = (SELECT min(rowid) FROM Speak)");
    if (character)
        Query(connection, QStringLiteral("UPDATE Speak SET Character = ?") + first).bind(1, *character).run();
    if (languageIndex)
        Query(connection, QStringLiteral("UPDATE Speak SET LanguageID = ?") + first).bind(1, *languageIndex).run();
    Query(connection, QStringLiteral("UPDATE Speak SET Speed = ?") + first).bind(1, speed).run();
    transaction.commit();
}

std::optional<SpeechSettings> storedSpeechSettings(Connection* connection)
{
    if (!connection)
        return std::nullopt;
    try {
        return ReadSpeechSettings(*connection);
    } catch (const DbError& e) {
        qCWarning(lcSpeech) << "cannot read the speech settings:" << e.message();
    }
    return std::nullopt;
}

Done storeSpeechSettings(Connection& connection, const std::optional<QString>& character,
                         std::optional<int> languageIndex, int speed)
{
    try {
        WriteSpeechSettings(connection, character, languageIndex, speed);
    } catch (const DbError& e) {
        qCWarning(lcSpeech) << "cannot store the speech settings:" << e.message();
        return e.failure(QStringLiteral("読み上げの設定を保存できませんでした。"));
    }
    return {};
}
