#include "browse/NodeDeletion.h"

#include "browse/Selection.h"

namespace qx {

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
