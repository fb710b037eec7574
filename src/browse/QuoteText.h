// Quoting text for a copy or a reply: a prefix before every line.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Every line of `text` with `prefix` in front, each followed by CR LF, the last
// one too. Lines end at CR LF, a lone CR or a lone LF; a line end at the very end
// starts no further line, and an empty text has no lines. The prefix is used
// exactly as given, blanks included, and may be empty.
std::string QuoteText(std::string_view text, std::string_view prefix);

}  // namespace qx
