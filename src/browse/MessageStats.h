// Message counts for the statistics graph.
#pragma once

#include <string>
#include <vector>

#include "logstore/LogData.h"

namespace qx {

enum GraphType : int { kGraphByUser = 0, kGraphByHost = 1, kGraphByDate = 2, kGraphByMonth = 3 };

struct GraphData {
    // Parallel lists, in the order the labels are first met in the log.
    std::vector<std::string> labels;
    std::vector<int> counts;
    // By user or host the bars run horizontally, by date or month vertically.
    bool horizontal = true;
};

// Counts every record, deleted ones included. A message with several names
// counts once per name (twice for a name given twice); labels that differ only
// in the case of ASCII letters are one bar, named as first met. Dates are year
// first unless monthFirst; months are always "YYYY/MM".
GraphData CountMessages(const std::vector<LogData>& records, int type, bool monthFirst);

}  // namespace qx
