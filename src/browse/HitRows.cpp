#include "browse/HitRows.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "platform/BackgroundJob.h"

namespace qx {

std::vector<ListRow> SortedMessageRows(std::vector<LogData>& records,
                                       const std::vector<std::size_t>& indexes,
                                       const ListOptions& options, int column, int upDown) {
    const std::size_t n = indexes.size();
    std::vector<ListRow> rows(n);
    const bool byDate = column == kColDate;
    std::vector<std::string> dateKeys(byDate ? n : 0);
    auto make = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            rows[i] = MessageRow(records[indexes[i]], indexes[i], options);
            if (byDate) dateKeys[i] = DateSortKey(rows[i].text[kColDate]);
        }
    };
    // Below a few thousand rows a thread costs more than it saves.
    if (n < 4096) {
        make(0, n);
    } else {
        const std::size_t half = n / 2;
        sys::BackgroundJob helper;
        helper.Start([&] { make(half, n); });
        make(0, half);
        helper.Wait();
    }
    if (column < 0 || column >= kListColumnCount) return rows;

    auto less = [&](std::size_t a, std::size_t b) {
        const int r = byDate ? CompareListText(dateKeys[a], dateKeys[b])
                             : CompareRows(rows[a], rows[b], column, 1);
        return r * upDown < 0;
    };
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (std::is_sorted(order.begin(), order.end(), less)) return rows;
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<ListRow> sorted;
    sorted.reserve(n);
    for (std::size_t i : order) sorted.push_back(std::move(rows[i]));
    return sorted;
}

}  // namespace qx
