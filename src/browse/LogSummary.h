// The summary of a log that the command-line tool's `info` prints.
#pragma once

#include <cstddef>
#include <vector>

#include "logstore/LogData.h"

namespace qx {

struct LogSummary {
    // Messages by the form of their header and of their body, indexed by the
    // form plus one: unrecognised (-1), plain, encoded, encrypted.
    int headerForms[4] = {};
    int bodyForms[4] = {};
    // The records with the earliest and the latest date, in calendar order
    // (years by length, then as text; then month, day and time). Among equal
    // dates the one earlier in the log wins for both. Records without a year
    // take no part; null when no record has one.
    const LogData* first = nullptr;
    const LogData* last = nullptr;
    // Distinct user and host names over every entry of the name lists, blank
    // names (empty or a full-width space) left out. Names are compared byte for byte.
    std::size_t users = 0;
    std::size_t hosts = 0;
};

// Counts every record, deleted ones included. From kSplitAt records on, the two
// halves are counted on two threads; the result is the same.
inline constexpr std::size_t kSplitAt = 20000;
LogSummary SummariseLog(const std::vector<LogData>& records);

}  // namespace qx
