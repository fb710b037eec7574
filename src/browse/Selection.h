// Which records a tree path selects: the messages a node saves or deletes.
#pragma once

#include <string>
#include <vector>

#include "logstore/LogData.h"

namespace qx {

struct SelectionFilter {
    std::string year, month, day, user, host;  // an empty one sets no condition
};

// Whether a record falls under a selection filter: every non-empty condition
// holds, byte for byte. The day is compared with the record's day label. The
// user condition, when set, wins over the host one.
bool RecordMatches(const LogData& record, const SelectionFilter& filter);

// The selection filter for a tree path (bare labels, root first) under a tree key
// 0 date/user, 1 date/host, 2 user, 3 host, 4 date.
SelectionFilter FilterForPath(int treeKey, const std::vector<std::string>& labels);

}  // namespace qx
