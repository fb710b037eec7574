#include "browse/Selection.h"

#include <algorithm>

#include "browse/TreeLabels.h"
#include "logstore/LogSession.h"

namespace qx {

bool RecordMatches(const LogData& r, const SelectionFilter& f) {
    if (!f.year.empty() && r.Year() != f.year) return false;
    if (!f.month.empty() && r.MonthNumber() != f.month) return false;
    if (!f.day.empty() && DayLabel(r) != f.day) return false;
    if (!f.user.empty()) {
        auto names = SplitNames(r.UserName());
        return std::find(names.begin(), names.end(), f.user) != names.end();
    }
    if (!f.host.empty()) {
        auto names = SplitNames(r.HostName());
        return std::find(names.begin(), names.end(), f.host) != names.end();
    }
    return true;
}

SelectionFilter FilterForPath(int treeKey, const std::vector<std::string>& labels) {
    SelectionFilter f;
    auto at = [&](std::size_t i) { return i < labels.size() ? labels[i] : std::string(); };
    switch (treeKey) {
        case 0: f = {at(0), at(1), at(2), at(3), ""}; break;
        case 1: f = {at(0), at(1), at(2), "", at(3)}; break;
        case 2: f = {at(1), at(2), at(3), at(0), ""}; break;
        case 3: f = {at(1), at(2), at(3), "", at(0)}; break;
        default: f = {at(0), at(1), at(2), "", ""}; break;
    }
    return f;
}

}  // namespace qx
