// The order of the find list's rows after a search.
#pragma once

#include <cstddef>
#include <vector>

#include "browse/ListRows.h"

namespace qx {

// The records named by `indexes` in the order SortRows gives their rows for
// `column` and `upDown` (stable: equal rows keep the order of `indexes`). Only
// the sort column's text is made, by two threads for a long list; hits already
// in order (a log read in date order) are not moved.
std::vector<std::size_t> SortedHits(std::vector<LogData>& records,
                                    const std::vector<std::size_t>& indexes,
                                    const ListOptions& options, int column, int upDown);

}  // namespace qx
