#include "search/FindHistory.h"

#include <algorithm>

#include "text/Cp932.h"

namespace qx {

namespace {

// A character folded to lower case, as one number (lead byte * 256 + trail byte
// for a double-byte character).
unsigned FoldedChar(std::string_view s, std::size_t i, std::size_t len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (len == 1) return (b0 >= 'A' && b0 <= 'Z') ? b0 + 0x20u : b0;
    const unsigned c = b0 * 256u + static_cast<unsigned char>(s[i + 1]);
    if (c >= 0x8260 && c <= 0x8279) return c + 0x21;  // full-width A-Z -> a-z
    if (c >= 0x839F && c <= 0x83B6) return c + 0x20;  // Greek capitals -> small
    if (c >= 0x8440 && c <= 0x8460) {                 // Cyrillic capitals -> small,
        const unsigned k = c - 0x8440;                // whose run skips trail byte 0x7F
        return k < 15 ? 0x8470 + k : 0x8471 + k;
    }
    return c;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t la = CharLength(a, i), lb = CharLength(b, j);
        if (FoldedChar(a, i, la) != FoldedChar(b, j, lb)) return false;
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

void AddToFindHistory(std::vector<std::string>& items, std::string_view text,
                      std::size_t historyCount) {
    if (text.empty()) return;
    const auto same = std::find_if(items.begin(), items.end(),
                                   [&](const std::string& item) { return SameIgnoringCase(item, text); });
    if (same != items.end()) items.erase(same);
    items.insert(items.begin(), std::string(text));
    if (items.size() > historyCount) items.resize(historyCount);
}

}  // namespace qx
