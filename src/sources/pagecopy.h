#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>

// A page kept with its scrap: the engine's MHTML file, compressed, and read back. Pure functions: they run on a
// worker beside the window.
namespace PageCopy {

// What a copy that never ends while expanding is taken to be: damaged.
inline constexpr qint64 kLargestExpanded = 1024LL * 1024 * 1024;

// The MHTML file at path compressed; refused (and read no further) once the compressed bytes pass limit.
[[nodiscard]] Result<QByteArray> compressFile(const QString& path, qint64 limit);
// The stored bytes expanded into the MHTML page; refused when damaged or when they are no saved page.
[[nodiscard]] Result<QByteArray> expand(const QByteArray& stored);

} // namespace PageCopy
