#include "speechlog.h"

Q_LOGGING_CATEGORY(lcSpeech, "zettora.speech")
