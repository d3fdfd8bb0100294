#include "scraplog.h"

Q_LOGGING_CATEGORY(lcScrap, "zettora.scrap")
