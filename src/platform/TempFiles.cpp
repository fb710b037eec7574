// The names of the temporary files a save makes beside its target: the same on
// every system.
#include "platform/ReplaceFile.h"

namespace qx::sys {

std::string TempPrefixFor(const std::string& target) {
    return FolderOf(target) + "." + NameOf(target) + ".quillorix-";
}

std::vector<std::string> TempFilesFor(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string start = "." + NameOf(target) + ".quillorix-";
    std::vector<std::string> found;
    for (const std::string& name : ListFolder(folder.empty() ? "." : folder)) {
        if (name.size() > start.size() + 4 && name.compare(0, start.size(), start) == 0 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0) {
            found.push_back(folder + name);
        }
    }
    return found;
}

}  // namespace qx::sys
