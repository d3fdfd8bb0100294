#pragma once

#include "common/session.h"
#include "database/resultset.h"

// The rows that list the scraps of the class at path and level (1 the root, 2 a major class, ... 4 a minor class),
// ordered by tree position and registration: every scrap for the root, none below the minor classes.
[[nodiscard]] ResultSource BuildClassListQuery(const ClassPath& path, int level);
