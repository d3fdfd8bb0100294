#include "characterspeech.h"

#include "qtaudiosink.h"
#include "speechcharacterwindow.h"
#include "speechlog.h"
#include "speechplayer.h"
#include "speechvoices.h"

// The pictures live in this static library; the linker keeps its resources only when they are asked for.
static void loadCharacterPictures()
{
    Q_INIT_RESOURCE(characters);
}

CharacterSpeech::CharacterSpeech()
    : m_sink(std::make_unique<QtAudioSink>())
    , m_player(std::make_unique<SpeechPlayer>(*m_sink))
{
    loadCharacterPictures();
}

CharacterSpeech::~CharacterSpeech()
{
    unload();
}

bool CharacterSpeech::load(const QString& name, const QString& loadName)
{
    unload();
    for (const SpeechCharacter& character : kSpeechCharacters) {
        if (loadName != QString::fromUtf16(character.loadName))
            continue;
        if (!SpeechSynthesizer::available()) {
            qCWarning(lcSpeech) << "the speech engine cannot start";
            return false;
        }
        m_voice.variant = character.variant;
        m_voice.pitch = character.pitch;
        m_voice.range = character.range;
        m_window = std::make_unique<SpeechCharacterWindow>(name, QStringLiteral(":/characters/") + loadName +
                                                                     QStringLiteral(".svg"));
        m_loaded = true;
        return true;
    }
    return false;
}

bool CharacterSpeech::setLanguage(int code)
{
    for (const SpeechLanguage& language : kSpeechLanguages) {
        if (language.code == code && SpeechSynthesizer::hasVoice(language.voice)) {
            m_voice.language = language.voice;
            return true;
        }
    }
    return false;
}

void CharacterSpeech::moveTo(int x, int y)
{
    if (m_window)
        m_window->placeOnScreen(QPoint(x, y));
}

void CharacterSpeech::show()
{
    if (!m_window)
        return;
    m_window->show();
    m_shown = true;
}

void CharacterSpeech::stop()
{
    m_player->stop();
}

void CharacterSpeech::speak(const QString& tagged)
{
    if (!m_loaded)
        return;
    // A character put away from its menu comes back with the next read.
    if (m_shown && m_window->isHidden())
        m_window->show();
    m_player->speak(tagged, m_voice);
}

void CharacterSpeech::unload()
{
    m_player->stop();
    m_window.reset();
    m_loaded = false;
    m_shown = false;
}
