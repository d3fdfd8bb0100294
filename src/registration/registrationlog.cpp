#include "registrationlog.h"

Q_LOGGING_CATEGORY(lcRegistration, "zettora.registration")
