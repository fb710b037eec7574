// Which records a delete of a tree node marks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "logstore/LogData.h"

namespace qx {

// The records, in file order, that deleting the node at `path` (bare labels, root
// first) under `treeKey` marks: those not yet deleted that match its filter.
std::vector<std::size_t> NodeDeletions(const std::vector<LogData>& records, int treeKey,
                                       const std::vector<std::string>& path);

}  // namespace qx
