// The history of search texts kept in the find window's combo box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// Whether two cp932 texts are equal with letter case ignored, as the combo box's
// exact-match lookup compares them: ASCII letters and the full-width Latin, Greek
// and Cyrillic letters fold to lower case; every other character must be equal.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// Records a search for `text` in `items` (most recent first): drops the first item
// equal to it with case ignored, puts `text` as typed at the top, then cuts the
// list to `historyCount` items. An empty text changes nothing.
void AddToFindHistory(std::vector<std::string>& items, std::string_view text,
                      std::size_t historyCount);

}  // namespace qx
