#include "browse/MessageStats.h"

#include <string_view>
#include <unordered_map>

#include "logstore/LogSession.h"
#include "text/Cp932.h"

namespace qx {

namespace {

std::string_view WithoutLastChar(std::string_view s) {
    return s.empty() ? s : s.substr(0, s.size() - 1);
}

}  // namespace

GraphData CountMessages(const std::vector<LogData>& records, int type, bool monthFirst) {
    GraphData data;
    data.horizontal = type == kGraphByUser || type == kGraphByHost;
    // Folded label -> its bar; the fold is the comparison, the first spelling stays.
    std::unordered_map<std::string, std::size_t> bars;
    auto count = [&](std::string_view label) {
        auto [it, added] = bars.emplace(AsciiLower(label), data.labels.size());
        if (added) {
            data.labels.emplace_back(label);
            data.counts.push_back(1);
        } else {
            ++data.counts[it->second];
        }
    };

    for (const LogData& r : records) {
        std::string key;
        switch (type) {
            case kGraphByUser:
                key = std::string(WithoutLastChar(r.UserName()));
                break;
            case kGraphByHost:
                key = std::string(WithoutLastChar(r.HostName()));
                break;
            case kGraphByDate:
                key = r.DateString(monthFirst);
                break;
            case kGraphByMonth:
                key = std::string(Substring(r.DateString(false), 1, 7));
                break;
            default:
                return data;
        }
        for (std::string_view label : SplitNames(key)) count(label);
    }
    return data;
}

}  // namespace qx
