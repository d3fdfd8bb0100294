#pragma once

#include "database/scrapsources.h"

#include <QString>

#include <optional>

class QMimeData;

// The address a scrap keeps of the page it came from: a web or file address without the user name and password it
// may carry, and without the place in the page. None for a script or data address, or anything else.
std::optional<QString> keptSourceAddress(const QString& address);

// The page a pasted text came from, where the clipboard says: a browser's text/x-moz-url (address, title), or the
// SourceURL line of its text/html. None when it says nothing, or nothing that may be kept.
std::optional<ScrapSource> sourceOfPaste(const QMimeData& mime);
