// Fuzz target of the find window's regular expressions.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "search/TRegexp.h"
#include "text/Cp932.h"

namespace qx::fuzz {

namespace {

// starts[i] is true when byte i begins a character, read from the start of the
// text; the end of the text counts as a start.
std::vector<bool> CharStarts(std::string_view t) {
    std::vector<bool> starts(t.size() + 1, false);
    for (std::size_t i = 0; i < t.size(); i += CharLength(t, i)) starts[i] = true;
    starts[t.size()] = true;
    return starts;
}

bool SameMatch(TRegexp::Match a, TRegexp::Match b) {
    return a.position == b.position && (a.position == 0 || a.length == b.length);
}

}  // namespace

bool RegexpTarget(std::string_view input) {
    if (input.size() < 2) return true;
    const std::size_t from = static_cast<unsigned char>(input[1]);
    const std::size_t patternLength = static_cast<unsigned char>(input[0]) % (input.size() - 1);
    input.remove_prefix(2);
    const std::string_view pattern = input.substr(0, patternLength);
    const std::string_view text = input.substr(patternLength);

    TRegexp re;
    const bool compiled = re.Compile(pattern);
    if (compiled != re.Ok()) return false;
    if (compiled != re.Error().empty()) return false;
    if (compiled && (re.CompiledSize() == 0 || re.CompiledSize() > TRegexp::kMaxCompiledSize)) return false;

    // The matcher remembers where the rest of a pattern failed, so a search costs
    // at most about (number of "*", "+" and "?" + 1) * (text length)^2 steps.
    const double repeats = static_cast<double>(std::count(pattern.begin(), pattern.end(), '*') +
                                               std::count(pattern.begin(), pattern.end(), '+') +
                                               std::count(pattern.begin(), pattern.end(), '?'));
    const double length = static_cast<double>(text.size()) + 1;
    const double cost = (repeats + 1) * length * length;
    if (cost > 1e9) return true;

    const TRegexp::Match m = re.Find(text, from);
    if (!compiled) return !m && !re.Matches(text);
    if (re.Matches(text) != static_cast<bool>(re.Find(text, 1))) return false;

    const std::vector<bool> starts = CharStarts(text);
    const std::size_t first = from == 0 ? 1 : from;
    if (!m) {
        // Nothing from `from` on means nothing from any later start either.
        for (std::size_t q = first + 1; q <= text.size() + 1 && q < first + 16; ++q) {
            if (re.Find(text, q)) return false;
        }
        return true;
    }
    if (m.position < first || m.position - 1 + m.length > text.size()) return false;
    if (!starts[m.position - 1] || !starts[m.position - 1 + m.length]) return false;

    // The match is the leftmost one: searching again from any character start
    // between `from` and the match finds the same match.
    if (!SameMatch(re.Find(text, m.position), m)) return false;
    if (cost * static_cast<double>(text.size()) <= 1e9) {
        for (std::size_t q = first; q < m.position; ++q) {
            if (starts[q - 1] && !SameMatch(re.Find(text, q), m)) return false;
        }
    }
    // A copy matches as the original does.
    const TRegexp copy = re;
    return SameMatch(copy.Find(text, from), m);
}

}  // namespace qx::fuzz
