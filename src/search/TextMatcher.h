// What one search looks for: a plain text or a regular expression, prepared once
// and then tried against many targets.
#pragma once

#include <string>
#include <string_view>

#include "search/TRegexp.h"

namespace qx {

// Whether `text` occurs in `target` at a character start: occurrences that begin
// on the trail byte of a double-byte character do not count. Byte-exact; an
// empty text never occurs.
bool PlainMatch(std::string_view target, std::string_view text);

class TextMatcher {
public:
    // The text is compiled as a regular expression even for a plain search, so the
    // caller can show a compile error whichever mode is chosen.
    TextMatcher(std::string_view text, bool regex);

    bool Matches(std::string_view target) const;

    bool IsRegex() const { return regex_; }
    const std::string& Text() const { return text_; }
    const TRegexp& Regexp() const { return regexp_; }

private:
    std::string text_;
    bool regex_;
    TRegexp regexp_;
};

}  // namespace qx
