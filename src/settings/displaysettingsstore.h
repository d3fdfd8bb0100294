#pragma once

#include "common/displaysettings.h"

#include <QtGlobal>

class Connection;

// Loading the display font and the marker colours from the open database. A failure keeps the values
// already held and is only logged.

// Name and size from FontSize's first row (the defaults when it is empty); bold and italic always false,
// since the stored ones are not read back.
void ReadDisplayFont(Connection& connection, DisplayFont& font);
// Both colours from Marker's first row, or the defaults when it is empty.
void ReadBackColor(Connection& connection, MarkerColours& markers);

// Saving them back. Both write FontSize's or Marker's first row, adding it when the table is empty, and throw
// DbError on failure.

// The column is a whole number of points: a fractional size chosen in the font dialog goes through
// wholePoints first.
void StoreDisplayFont(Connection& connection, const DisplayFont& font);
int wholePoints(qreal pointSize);

enum MarkerKind { kUnderlineMarker = 0, kFullTextMarker = 1 };
// which is a MarkerKind; a new row gets the default colour for the other kind.
void StoreMarkerColour(Connection& connection, int which, quint32 colour);
