#include "databaselog.h"

Q_LOGGING_CATEGORY(lcDatabase, "zettora.database")
