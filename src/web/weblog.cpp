#include "weblog.h"

Q_LOGGING_CATEGORY(lcWeb, "zettora.web")
