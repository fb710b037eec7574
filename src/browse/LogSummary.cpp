// What the summary of a log counts: message forms, the date range and the
// distinct names. It sees every message of a large log, so names are kept as
// views into the records, and dates and names are compared in eight-byte steps.
#include "browse/LogSummary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <future>
#include <optional>
#include <string_view>
#include <vector>

#include "logstore/LogSession.h"
#include "text/TextHash.h"

namespace qx {

namespace {

// The first eight bytes of a text as one number, in byte order, zeros behind a
// shorter text.
std::uint64_t LeadingBytes(std::string_view t) {
    const char* p = t.data();
    const std::size_t n = t.size();
    // Four or eight bytes as a number in byte order.
    auto four = [](const char* at) {
        std::uint32_t w;
        std::memcpy(&w, at, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        w = __builtin_bswap32(w);
#endif
        return std::uint64_t{w};
    };
    if (n >= 8) return four(p) << 32 | four(p + 4);
    // Four to seven bytes: the first four, and the last four (over them) in place.
    if (n >= 4) return four(p) << 32 | four(p + n - 4) << (64 - 8 * n);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{static_cast<unsigned char>(p[i])} << (56 - 8 * i);
    return v;
}

// Byte order of two texts (as unsigned bytes, a text before its extensions):
// below, equal to or above zero. Years and times are short: up to eight bytes
// are compared as one number instead of through a library call.
int CompareText(std::string_view a, std::string_view b) {
    if (a.size() > 8 || b.size() > 8) return a.compare(b);
    const std::uint64_t x = LeadingBytes(a), y = LeadingBytes(b);
    if (x != y) return x < y ? -1 : 1;
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Year, month number, day and time: ordered as the calendar is.
struct DateKey {
    std::string_view year;
    int month;
    int day;
    std::string_view time;
    // The leading bytes of year and time, so that comparing keys seldom looks at the texts.
    std::uint64_t yearBytes;
    std::uint64_t timeBytes;

    // year is r.Year(), and yearBytes its leading bytes.
    DateKey(const LogData& r, std::string_view year, std::uint64_t yearBytes)
        : year(year), month(r.MonthIndex()), day(0), time(r.Time()), yearBytes(yearBytes),
          timeBytes(LeadingBytes(time)) {
        for (char c : r.Day()) {
            if (c < '0' || c > '9' || day > 1000) break;
            day = day * 10 + (c - '0');
        }
    }
    // Years by length, then as bytes; then month, day, and time as bytes.
    bool operator<(const DateKey& o) const {
        if (year.size() != o.year.size()) return year.size() < o.year.size();
        if (yearBytes != o.yearBytes) return yearBytes < o.yearBytes;
        if (year.size() > 8) {
            if (const int c = CompareText(year, o.year)) return c < 0;
        }
        if (month != o.month) return month < o.month;
        if (day != o.day) return day < o.day;
        if (timeBytes != o.timeBytes) return timeBytes < o.timeBytes;
        return CompareText(time, o.time) < 0;
    }
    // Years in the same order as whole keys: a year strictly between two keys'
    // years puts its date strictly between them.
    static bool YearBefore(std::string_view a, std::uint64_t aBytes, std::string_view b, std::uint64_t bBytes) {
        if (a.size() != b.size()) return a.size() < b.size();
        if (aBytes != bBytes) return aBytes < bBytes;
        return a.size() > 8 && CompareText(a, b) < 0;
    }
};

bool IsBlankName(std::string_view name) { return name.empty() || name == kFullWidthSpace; }

// Whether two names are the same text; most are short enough to compare in two
// eight-byte steps.
bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const std::size_t n = a.size();
    if (n < 8 || n > 16) return a == b;
    std::uint64_t a0, a1, b0, b1;
    std::memcpy(&a0, a.data(), 8);
    std::memcpy(&a1, a.data() + n - 8, 8);
    std::memcpy(&b0, b.data(), 8);
    std::memcpy(&b1, b.data() + n - 8, 8);
    return a0 == b0 && a1 == b1;
}

}  // namespace

namespace {

// A set of texts kept as views, for counting distinct names: open addressing
// with a cheap hash, as these sets see a lookup for every message.
class ViewSet {
public:
    // True when the text was not in the set yet.
    bool Insert(std::string_view text) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        const std::uint64_t h = Hash(text);
        for (std::size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& s = slots_[i];
            if (!s.used) {
                s = {text, h, true};
                ++count_;
                return true;
            }
            if (s.hash == h && SameText(s.text, text)) return false;
        }
    }
    std::size_t size() const { return count_; }
    template <typename F>
    void ForEach(F&& f) const {
        for (const Slot& s : slots_) {
            if (s.used) f(s.text);
        }
    }

    static std::uint64_t Hash(std::string_view t) { return TextHash(t); }

private:
    struct Slot {
        std::string_view text;
        std::uint64_t hash = 0;
        bool used = false;
    };
    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        count_ = 0;
        for (const Slot& s : old) {
            if (s.used) Insert(s.text);
        }
    }
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The lists of names seen lately, in a small table of fixed size: a message's
// list is mostly one seen a little before, and its names are then counted
// already. A list that is not found is only taken apart again.
class RecentLists {
public:
    // True when the list was seen lately; remembers it either way.
    bool Seen(std::string_view list) {
        const std::uint64_t h = ViewSet::Hash(list);
        Slot& s = slots_[h % kSlots];
        if (s.used && s.hash == h && SameText(s.text, list)) return true;
        s = {list, h, true};
        return false;
    }

private:
    static constexpr std::size_t kSlots = 1024;
    struct Slot {
        std::string_view text;
        std::uint64_t hash = 0;
        bool used = false;
    };
    std::vector<Slot> slots_ = std::vector<Slot>(kSlots);
};

// What `info` counts, over a range of records. Names are views into the records.
struct Summary {
    int header[4] = {}, body[4] = {};  // modes -1, 0, 1, 2
    ViewSet users, hosts;
    RecentLists userLists, hostLists;
    const LogData* first = nullptr;
    const LogData* last = nullptr;
    std::optional<DateKey> firstKey, lastKey;

    void Count(const LogData* from, const LogData* to) {
        // Messages come in runs from one person: a list the same as the one
        // before adds no names (nor does an empty one).
        std::string_view lastUsers, lastHosts;
        for (const LogData* p = from; p != to; ++p) {
            const LogData& r = *p;
            ++header[std::clamp(r.HeaderMode(), -1, 2) + 1];
            ++body[std::clamp(r.BodyMode(), -1, 2) + 1];
            if (const std::string_view names = r.UserName(); !SameText(names, lastUsers)) {
                lastUsers = names;
                if (!userLists.Seen(lastUsers)) {
                    ForEachName(lastUsers, [&](std::string_view n) {
                        if (!IsBlankName(n)) users.Insert(n);
                    });
                }
            }
            if (const std::string_view names = r.HostName(); !SameText(names, lastHosts)) {
                lastHosts = names;
                if (!hostLists.Seen(lastHosts)) {
                    ForEachName(lastHosts, [&](std::string_view n) {
                        if (!IsBlankName(n)) hosts.Insert(n);
                    });
                }
            }
            const std::string_view year = r.Year();
            if (year.empty()) continue;
            const std::uint64_t yearBytes = LeadingBytes(year);
            // Most dates fall in a year between the first and the last so far.
            if (first && DateKey::YearBefore(firstKey->year, firstKey->yearBytes, year, yearBytes) &&
                DateKey::YearBefore(year, yearBytes, lastKey->year, lastKey->yearBytes)) {
                continue;
            }
            Date(&r, DateKey(r, year, yearBytes));
        }
    }
    // The earliest record wins among equal dates, for the first and the last.
    void Date(const LogData* r, const DateKey& key) {
        if (!first || key < *firstKey) {
            first = r;
            firstKey = key;
        }
        if (!last || *lastKey < key) {
            last = r;
            lastKey = key;
        }
    }
    // Adds the summary of the records that come after these.
    void Add(const Summary& later) {
        for (int i = 0; i < 4; ++i) {
            header[i] += later.header[i];
            body[i] += later.body[i];
        }
        later.users.ForEach([&](std::string_view n) { users.Insert(n); });
        later.hosts.ForEach([&](std::string_view n) { hosts.Insert(n); });
        if (later.first && (!first || *later.firstKey < *firstKey)) {
            first = later.first;
            firstKey = later.firstKey;
        }
        if (later.last && (!last || *lastKey < *later.lastKey)) {
            last = later.last;
            lastKey = later.lastKey;
        }
    }
};

}  // namespace

LogSummary SummariseLog(const std::vector<LogData>& records) {
    // A large log is counted in two halves at once.
    const LogData* begin = records.data();
    const LogData* end = begin + records.size();
    Summary sum, later;
    if (records.size() >= kSplitAt) {
        const LogData* middle = begin + records.size() / 2;
        auto counting = std::async(std::launch::async, [&] { later.Count(middle, end); });
        sum.Count(begin, middle);
        counting.get();
        sum.Add(later);
    } else {
        sum.Count(begin, end);
    }
    LogSummary out;
    for (int i = 0; i < 4; ++i) {
        out.headerForms[i] = sum.header[i];
        out.bodyForms[i] = sum.body[i];
    }
    out.first = sum.first;
    out.last = sum.last;
    out.users = sum.users.size();
    out.hosts = sum.hosts.size();
    return out;
}

}  // namespace qx
