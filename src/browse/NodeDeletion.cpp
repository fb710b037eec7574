#include "browse/NodeDeletion.h"

#include "browse/TreeLabels.h"

namespace qx {

namespace {

bool HasName(std::string_view listField, const std::string& name) {
    for (std::string_view entry : SplitNames(listField)) {
        if (entry == name) return true;
    }
    return false;
}

}  // namespace

bool RecordMatches(const LogData& r, const SelectionFilter& f) {
    if (!f.year.empty() && r.Year() != f.year) return false;
    if (!f.month.empty() && r.MonthNumber() != f.month) return false;
    if (!f.day.empty() && DayLabel(r) != f.day) return false;
    if (!f.user.empty()) return HasName(r.UserName(), f.user);
    if (!f.host.empty()) return HasName(r.HostName(), f.host);
    return true;
}

std::vector<std::size_t> NodeDeletions(const std::vector<LogData>& records, int treeKey,
                                       const std::vector<std::string>& path) {
    const SelectionFilter filter = FilterForPath(treeKey, path);
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!records[i].Deleted() && RecordMatches(records[i], filter)) out.push_back(i);
    }
    return out;
}

}  // namespace qx
