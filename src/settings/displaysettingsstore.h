#pragma once

#include "common/displaysettings.h"

class Connection;

// Loading the display font and the marker colours from the open database. A failure keeps the values
// already held and is only logged.

// Name and size from FontSize's first row (the defaults when it is empty); bold and italic always false,
// since the stored ones are not read back.
void ReadDisplayFont(Connection& connection, DisplayFont& font);
// Both colours from Marker's first row, or the defaults when it is empty.
void ReadBackColor(Connection& connection, MarkerColours& markers);
