#include "speechreader.h"

#include "common/session.h"
#include "common/userdialogs.h"
#include "speech/speechoutput.h"
#include "speech/speechsettingsdialog.h"
#include "speech/speechstore.h"
#include "speech/speechvoices.h"

#include <QApplication>

#include <algorithm>

namespace {

// Where the character stands when it is loaded, in screen pixels (moved in to stay on a smaller screen).
constexpr int kCharacterX = 1050;
constexpr int kCharacterY = 600;
// The speeds the settings window offers.
constexpr int kSlowestSpeed = 100;
constexpr int kFastestSpeed = 200;

const SpeechCharacter* characterNamed(const QString& name)
{
    for (const SpeechCharacter& character : kSpeechCharacters) {
        if (name == QString::fromUtf16(character.name))
            return &character;
    }
    return nullptr;
}

} // namespace

SpeechReader::SpeechReader(Session& session, UserDialogs& dialogs, SpeechOutput& speech, QWidget* window,
                           std::function<void(int)> showHelp)
    : QObject(window)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_speech(speech)
    , m_window(window)
    , m_showHelp(std::move(showHelp))
{}

void SpeechReader::load()
{
    const std::optional<SpeechSettings> settings = storedSpeechSettings(m_session.connection());
    if (!settings)
        return;
    const SpeechCharacter* character = characterNamed(settings->character);
    if (!character)
        return;
    // A character that did not load is not registered: a read says so rather than do nothing.
    if (!m_speech.load(settings->character, QString::fromUtf16(character->loadName))) {
        m_dialogs.exclamation(QStringLiteral("音声キャラクター「") + settings->character +
                              QStringLiteral("」読み込みエラー\nインストールされていない可能性があります。"));
        return;
    }
    m_name = settings->character;
    // Another program's file may hold any number: out of range, it would be read out as text.
    m_speed = std::clamp(settings->speed, kSlowestSpeed, kFastestSpeed);
    m_speech.moveTo(kCharacterX, kCharacterY);
    setLanguage(settings->languageIndex);
}

void SpeechReader::setLanguage(int index)
{
    if (index < 0 || index >= int(kSpeechLanguages.size()))
        return;
    const SpeechLanguage& language = kSpeechLanguages[std::size_t(index)];
    if (!m_speech.setLanguage(language.code))
        m_dialogs.information(QString::fromUtf16(language.caption) +
                              QStringLiteral(" Text-To-Speech Engine はインストールされていません。"));
}

void SpeechReader::unload()
{
    if (!characterNamed(m_name))
        return;
    m_speech.unload();
    // A character no longer loaded is not offered to read: the next read says none is registered.
    m_name.clear();
    m_shown = false;
}

void SpeechReader::read(const QString& text)
{
    if (m_name.isEmpty()) {
        m_dialogs.exclamation(
            QStringLiteral("Microsoft Agent Character が Zettora に登録されていません。\n"
                           "読み上げ機能を利用するには、メニュー＞オプション＞読み上げ各種設定　で登録してください。"));
        return;
    }
    if (!characterNamed(m_name) || text.isEmpty())
        return;
    m_speech.stop();
    if (!m_shown) {
        m_speech.show();
        m_shown = true;
    }
    m_speech.speak(QStringLiteral("\\spd=") + QString::number(m_speed) + u'\\' + text);
}

void SpeechReader::openSettings()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    SpeechSettingsDialog dialog(storedSpeechSettings(connection), m_window);
    connect(&dialog, &SpeechSettingsDialog::helpRequested, this, m_showHelp);
    // The dialog ran the event loop: the settings go to the collection open now, if it is still the one.
    const quint64 collection = m_session.collectionId();
    if (dialog.exec() != QDialog::Accepted || m_session.collectionId() != collection || !m_session.connection())
        return;
    connection = m_session.connection();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    unload();
    const Done stored = storeSpeechSettings(*connection, dialog.character(), dialog.languageIndex(), dialog.speed());
    load();
    m_shown = false;
    QApplication::restoreOverrideCursor();
    if (!stored)
        m_dialogs.critical(stored.message());
}
