#include "ocrlog.h"

Q_LOGGING_CATEGORY(lcOcr, "zettora.ocr")
