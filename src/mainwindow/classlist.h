#pragma once

#include "common/session.h"
#include "database/resultset.h"

#include <optional>

// The rows that list the scraps of a classification path, ordered by tree position and registration:
// every scrap for the empty path, else those matching the given levels. Nothing for a path with a gap
// (a middle class without its major class, say).
[[nodiscard]] std::optional<ResultSource> BuildClassListQuery(const ClassPath& path);
