#include "collectionlog.h"

Q_LOGGING_CATEGORY(lcCollection, "zettora.collection")
