#include "sourceslog.h"

Q_LOGGING_CATEGORY(lcSources, "zettora.sources")
