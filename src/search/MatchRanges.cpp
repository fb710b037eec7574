#include "search/MatchRanges.h"

#include "text/Cp932.h"

namespace qx {

std::vector<ByteRange> MatchRanges(std::string_view text, const TextMatcher& matcher) {
    std::vector<ByteRange> out;
    if (!matcher.IsRegex()) {
        const std::string& needle = matcher.Text();
        if (needle.empty()) return out;
        // Pos skips occurrences on a trail byte; the scan goes on after each hit.
        for (std::size_t from = 1; from <= text.size();) {
            const std::size_t p = Pos(needle, text, from);
            if (p == 0) break;
            out.push_back({p - 1, needle.size()});
            from = p + needle.size();
        }
        return out;
    }
    const TRegexp& re = matcher.Regexp();
    if (!re.Ok()) return out;
    for (std::size_t from = 1; from <= text.size();) {
        const TRegexp::Match m = re.Find(text, from);
        if (!m) break;
        if (m.length > 0) {
            out.push_back({m.position - 1, m.length});
            from = m.position + m.length;
        } else {
            if (m.position > text.size()) break;
            // Step over one whole character past the empty match.
            from = m.position + CharLength(text, m.position - 1);
        }
    }
    return out;
}

}  // namespace qx
