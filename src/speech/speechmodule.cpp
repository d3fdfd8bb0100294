// The entry point of the speech module, which holds espeak-ng, kakasi and the sound output.
#include "characterspeech.h"

extern "C" Q_DECL_EXPORT SpeechOutput* zettoraCreateSpeechOutput()
{
    return new CharacterSpeech;
}
