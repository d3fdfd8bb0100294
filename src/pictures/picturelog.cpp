#include "picturelog.h"

Q_LOGGING_CATEGORY(lcPictures, "zettora.pictures")
