#include "legacyimportlog.h"

Q_LOGGING_CATEGORY(lcLegacyImport, "zettora.legacyimport")
