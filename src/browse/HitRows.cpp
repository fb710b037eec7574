#include "browse/HitRows.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <numeric>
#include <string>

#include "platform/BackgroundJob.h"

namespace qx {

namespace {

bool Digits(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c - '0') > 9) return false;
    return true;
}

// Runs make(from, to) over [0, n), shared with a second thread when n is large
// enough for that to pay: the records of the hits are far apart in memory, and
// two threads wait for them in parallel.
template <typename Make>
void ForHalves(std::size_t n, Make make) {
    if (n < 4096) {
        make(std::size_t{0}, n);
        return;
    }
    const std::size_t half = n / 2;
    sys::BackgroundJob helper;
    helper.Start([&] { make(half, n); });
    make(std::size_t{0}, half);
    helper.Wait();
}

// A date of the usual shape (a four-digit year, a day of one or two digits, a
// time "hh:mm:ss") as one number that orders as the date column's sort key
// does: that key is then "yyyy/mm/dd hh:mm:ss", digits in fixed places. 0 for
// any other date.
std::uint64_t PackedDate(const LogData& record) {
    const std::string_view year = record.Year(), day = record.Day(), time = record.Time();
    if (year.size() != 4 || !Digits(year) || day.empty() || day.size() > 2 || !Digits(day) ||
        time.size() != 8 || time[2] != ':' || time[5] != ':' || !Digits(time.substr(0, 2)) ||
        !Digits(time.substr(3, 2)) || !Digits(time.substr(6, 2)))
        return 0;
    auto number = [](std::string_view s) {
        std::uint64_t n = 0;
        for (char c : s) n = n * 10 + static_cast<std::uint64_t>(c - '0');
        return n;
    };
    std::uint64_t key = number(year);
    key = key * 100 + static_cast<std::uint64_t>(record.MonthIndex());
    key = key * 100 + number(day);
    key = key * 100 + number(time.substr(0, 2));
    key = key * 100 + number(time.substr(3, 2));
    key = key * 100 + number(time.substr(6, 2));
    return key + 1;  // never 0
}

// The hits in date order from packed dates; false when one date has another shape.
bool SortByPackedDate(const std::vector<LogData>& records, std::vector<std::size_t>& hits,
                      int upDown) {
    std::vector<std::uint64_t> keys(hits.size());
    std::atomic<bool> allPacked{true};
    ForHalves(hits.size(), [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            if ((keys[i] = PackedDate(records[hits[i]])) == 0) {
                allPacked = false;
                return;
            }
    });
    if (!allPacked) return false;
    auto less = [&](std::size_t a, std::size_t b) {
        return upDown > 0 ? keys[a] < keys[b] : keys[b] < keys[a];
    };
    std::vector<std::size_t> order(hits.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (std::is_sorted(order.begin(), order.end(), less)) return true;
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<std::size_t> sorted;
    sorted.reserve(hits.size());
    for (std::size_t i : order) sorted.push_back(hits[i]);
    hits = std::move(sorted);
    return true;
}

}  // namespace

std::vector<std::size_t> SortedHits(std::vector<LogData>& records,
                                    const std::vector<std::size_t>& indexes,
                                    const ListOptions& options, int column, int upDown) {
    // The attachment column has no text: every row compares equal.
    if (column <= kColAttach || column >= kListColumnCount) return indexes;
    if (column == kColDate) {
        std::vector<std::size_t> hits = indexes;
        if (SortByPackedDate(records, hits, upDown)) return hits;
    }
    const std::size_t n = indexes.size();
    std::vector<std::string> keys(n);
    auto make = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            keys[i] = MessageColumnText(records[indexes[i]], column, options);
            if (column == kColDate) keys[i] = DateSortKey(keys[i]);
        }
    };
    ForHalves(n, make);
    auto less = [&](std::size_t a, std::size_t b) {
        return CompareListText(keys[a], keys[b]) * upDown < 0;
    };
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (std::is_sorted(order.begin(), order.end(), less)) return indexes;
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<std::size_t> sorted;
    sorted.reserve(n);
    for (std::size_t i : order) sorted.push_back(indexes[i]);
    return sorted;
}

}  // namespace qx
