#include "mainwindowlog.h"

Q_LOGGING_CATEGORY(lcMainWindow, "zettora.mainwindow")
