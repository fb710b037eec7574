// Rules of the recent-files list. Entries are the captions of the menu entries,
// most recent first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx {

// The file path behind a menu caption: the text before the first "(&" when
// there is one (an accelerator appended to the caption), otherwise the caption
// with every "&" removed.
std::string HistoryPath(std::string_view caption);

// Puts path into the list. append (used while reading the settings) adds it at
// the end and applies no limit. Otherwise it goes to the top, the first later
// entry whose HistoryPath equals path byte for byte is removed, and the list is
// cut to historyNum entries.
void AddToHistory(std::vector<std::string>& entries, std::string_view path, bool append,
                  int historyNum);

}  // namespace qx
