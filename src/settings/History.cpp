#include "settings/History.h"

#include "text/Cp932.h"

namespace qx {

std::string HistoryPath(std::string_view caption) {
    if (const std::size_t p = Pos("(&", caption); p != 0)
        return std::string(caption.substr(0, p - 1));
    return ReplaceAll(caption, "&", "");
}

void AddToHistory(std::vector<std::string>& entries, std::string_view path, bool append,
                  int historyNum) {
    if (append) {
        entries.emplace_back(path);
        return;
    }
    entries.insert(entries.begin(), std::string(path));
    for (auto it = entries.begin() + 1; it != entries.end(); ++it) {
        if (HistoryPath(*it) == path) {
            entries.erase(it);
            break;
        }
    }
    const std::size_t limit = historyNum > 0 ? static_cast<std::size_t>(historyNum) : 0;
    if (entries.size() > limit) entries.resize(limit);
}

}  // namespace qx
