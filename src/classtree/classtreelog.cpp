#include "classtreelog.h"

Q_LOGGING_CATEGORY(lcClassTree, "zettora.classtree")
