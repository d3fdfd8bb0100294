#include "commonlog.h"

Q_LOGGING_CATEGORY(lcCommon, "zettora.common")
