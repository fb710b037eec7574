#include "search/TextMatcher.h"

#include "text/Cp932.h"

namespace qx {

bool PlainMatch(std::string_view target, std::string_view text) { return Pos(text, target) != 0; }

TextMatcher::TextMatcher(std::string_view text, bool regex)
    : text_(text), regex_(regex), regexp_(text) {}

bool TextMatcher::Matches(std::string_view target) const {
    return regex_ ? regexp_.Matches(target) : PlainMatch(target, text_);
}

}  // namespace qx
