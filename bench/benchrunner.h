#pragma once

#include "benchops.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The middle value (the mean of the two middle ones for an even count); none for no values at all.
std::optional<double> median(std::vector<double> values);

// Where the runner's lines go: one line of figures per operation, and failures and warnings apart from them.
struct BenchOutput {
    std::function<void(const QString&)> figures;
    std::function<void(const QString&)> problems;
};

// Measures each operation in turn, runs times after one warm-up for those timed as a whole. An operation that
// throws or gives no timings is told as "op=NAME failed=WHY" and the next one still runs. Returns the names of the
// operations that failed.
QStringList measureAll(const BenchRegistry& operations, BenchContext& context, int runs, const BenchOutput& output);
