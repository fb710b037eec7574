// The tool bar's list of the other logs in the open log's folder.
#pragma once

#include <string>
#include <vector>

namespace qx {

struct LogListing {
    std::vector<std::string> items;  // file names, sorted
    int selected = -1;               // the open log, letter case ignored; -1 when absent
};

// Names among `folderEntries` that match "*" + the open log's extension (letter case
// ignored, as the folder pattern is on the messenger's platform), sorted without
// regard to letter case, with the open log selected.
LogListing FillLogList(const std::vector<std::string>& folderEntries, const std::string& logFileName);

// Reads the folder of logFileName and lists it; empty when no log is open.
LogListing FillLogList(const std::string& logFileName);

}  // namespace qx
