#pragma once

#include <QString>
#include <QStringList>

// How old a half-written file must be before it is taken for one whose program died: no copy or creation of ours
// runs that long.
inline constexpr qint64 kStaleFileSeconds = 3600;

// Removes the files of folder matching nameFilters that were last written more than kStaleFileSeconds ago: partial
// copies and their journals left by a program killed half way. Returns how many went.
int removeStaleFiles(const QString& folder, const QStringList& nameFilters);
