// Where a search text occurs in a shown message, so the view can mark every hit.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "search/TextMatcher.h"

namespace qx {

struct ByteRange {
    std::size_t first = 0;  // 0-based byte offset
    std::size_t length = 0;
    bool operator==(const ByteRange&) const = default;
};

// Every occurrence of the matcher's text (or every match of its expression) in
// `text`, left to right and not overlapping, each starting on a character start.
// Empty matches ("a*" where there is no "a", "$") are left out: there is nothing
// to mark. An expression that does not compile gives none.
std::vector<ByteRange> MatchRanges(std::string_view text, const TextMatcher& matcher);

}  // namespace qx
