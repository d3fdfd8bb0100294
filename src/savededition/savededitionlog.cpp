#include "savededitionlog.h"

Q_LOGGING_CATEGORY(lcSavedEdition, "zettora.savededition")
