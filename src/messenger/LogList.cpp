#include "messenger/LogList.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "text/Cp932.h"

namespace qx {

namespace {

std::string Extension(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool EndsWithIgnoringCase(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && EqualsIgnoreAsciiCase(std::string_view(s).substr(s.size() - tail.size()), tail);
}

}  // namespace

LogListing FillLogList(const std::vector<std::string>& folderEntries, const std::string& logFileName) {
    LogListing listing;
    if (logFileName.empty()) return listing;
    const std::string own = sys::NameOf(logFileName);
    const std::string ext = Extension(own);
    for (const auto& name : folderEntries) {
        if (name == "." || name == "..") continue;
        if (ext.empty() || EndsWithIgnoringCase(name, ext)) listing.items.push_back(name);
    }
    std::stable_sort(listing.items.begin(), listing.items.end(), [](const std::string& a, const std::string& b) {
        const std::string la = AsciiLower(a), lb = AsciiLower(b);
        return la != lb ? la < lb : a < b;
    });
    for (std::size_t i = 0; i < listing.items.size(); ++i) {
        if (EqualsIgnoreAsciiCase(listing.items[i], own)) {
            listing.selected = static_cast<int>(i);
            break;
        }
    }
    return listing;
}

LogListing FillLogList(const std::string& logFileName) {
    if (logFileName.empty()) return {};
    const std::string folder = sys::FolderOf(logFileName);
    return FillLogList(sys::ListFolder(folder.empty() ? "." : folder), logFileName);
}

}  // namespace qx
