#include "backuplog.h"

Q_LOGGING_CATEGORY(lcBackup, "zettora.backup")
