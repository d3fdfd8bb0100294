#include "searchlog.h"

Q_LOGGING_CATEGORY(lcSearch, "zettora.search")
