#include "modulespeech.h"

#include "common/programmodule.h"
#include "speechlog.h"

ModuleSpeech::ModuleSpeech() = default;

ModuleSpeech::~ModuleSpeech() = default;

SpeechOutput* ModuleSpeech::engine()
{
    if (!std::exchange(m_tried, true)) {
        const auto create = reinterpret_cast<CreateSpeechOutput>(loadProgramModule(
            {QStringLiteral(ZETTORA_SPEECH_MODULE_NAME), QStringLiteral(ZETTORA_SPEECH_MODULE_INSTALLED),
             QStringLiteral(ZETTORA_SPEECH_MODULE_BUILT)},
            kCreateSpeechOutput, lcSpeech()));
        if (create)
            m_engine.reset(create());
    }
    return m_engine.get();
}

bool ModuleSpeech::load(const QString& name, const QString& loadName)
{
    SpeechOutput* speech = engine();
    return speech && speech->load(name, loadName);
}

bool ModuleSpeech::setLanguage(int code)
{
    SpeechOutput* speech = engine();
    return speech && speech->setLanguage(code);
}

// Nothing is loaded before the first character, so there is nothing to move, show, stop or unload.
void ModuleSpeech::moveTo(int x, int y)
{
    if (m_engine)
        m_engine->moveTo(x, y);
}

void ModuleSpeech::show()
{
    if (m_engine)
        m_engine->show();
}

void ModuleSpeech::stop()
{
    if (m_engine)
        m_engine->stop();
}

void ModuleSpeech::speak(const QString& tagged)
{
    if (m_engine)
        m_engine->speak(tagged);
}

void ModuleSpeech::unload()
{
    if (m_engine)
        m_engine->unload();
}
