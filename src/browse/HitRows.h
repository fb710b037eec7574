// The rows of many records at once (the find list after a search).
#pragma once

#include <cstddef>
#include <vector>

#include "browse/ListRows.h"

namespace qx {

// MessageRow of each record named by `indexes`, sorted as SortRows sorts them by
// `column` and `upDown` (stable: equal rows keep the order of `indexes`). A long
// list is made by two threads, each on its own records (making a row decodes its
// body), and rows already in order (a log read in date order) are not moved.
std::vector<ListRow> SortedMessageRows(std::vector<LogData>& records,
                                       const std::vector<std::size_t>& indexes,
                                       const ListOptions& options, int column, int upDown);

}  // namespace qx
