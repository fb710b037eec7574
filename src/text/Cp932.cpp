#include "Cp932.h"

#include <cstdint>
#include <cstring>

#include "kernels/Kernels.h"

namespace qx {

std::size_t Pos(std::string_view needle, std::string_view text, std::size_t from) {
    if (needle.empty() || from == 0 || from > text.size()) return 0;
    // `boundary` is always the index of a character start at or before the
    // candidate; walking it forward tells whether the candidate is a trail byte.
    std::size_t boundary = 0;
    std::size_t start = from - 1;
    while (true) {
        std::size_t cand = text.find(needle, start);
        if (cand == std::string_view::npos) return 0;
        while (boundary < cand) boundary += CharLength(text, boundary);
        if (boundary == cand) return cand + 1;
        start = cand + 1;  // the candidate began on a trail byte
    }
}

std::size_t LastPos(std::string_view needle, std::string_view text) {
    if (needle.empty() || needle.size() > text.size()) return 0;
    // One walk over the character starts, checking each candidate from find().
    std::size_t last = 0;
    std::size_t boundary = 0;
    std::size_t cand = text.find(needle);
    while (cand != std::string_view::npos) {
        while (boundary < cand) boundary += CharLength(text, boundary);
        if (boundary == cand) last = cand + 1;
        cand = text.find(needle, cand + 1);
    }
    return last;
}

std::string_view Substring(std::string_view s, long long start, long long count) {
    if (count <= 0) return {};
    if (start < 1) start = 1;
    if (static_cast<unsigned long long>(start) > s.size()) return {};
    return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

namespace {

// The line ending at e (the index of its first CR or LF, or n).
LineSpan LineEndingAt(std::string_view s, std::size_t pos, std::size_t e) {
    const char* p = s.data();
    const std::size_t n = s.size();
    if (e == n) return {s.substr(pos), n};
    if (p[e] == '\r' && e + 1 < n && p[e + 1] == '\n') return {s.substr(pos, e - pos), e + 2};
    return {s.substr(pos, e - pos), e + 1};
}

}  // namespace

LineSpan NextLine(std::string_view s, std::size_t pos) {
    // The line ends at its first CR or LF; a CR LF pair ends it together.
    const std::size_t n = s.size();
    const std::size_t e = pos < n ? pos + kernels::Active().firstLineEnd(s.data() + pos, n - pos) : n;
    return LineEndingAt(s, pos, e);
}

bool IsCrLfText(std::string_view s) {
    if (s.empty()) return true;
    if (s.size() < 2 || s[s.size() - 2] != '\r' || s.back() != '\n') return false;
    return kernels::Active().onlyCrLfPairs(s.data(), s.size());
}

std::vector<std::string_view> SplitLines(std::string_view s) {
    std::vector<std::string_view> out;
    ForEachLine(s, [&](std::string_view line) { out.push_back(line); });
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t p = Pos(from, text, i + 1);
        if (p == 0) break;
        out.append(text.substr(i, p - 1 - i));
        out.append(to);
        i = p - 1 + from.size();
    }
    out.append(text.substr(std::min(i, text.size())));
    return out;
}

// Trail bytes of double-byte characters may fall in 'A'..'Z'; they are left alone.
std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = CharLength(out, i);
        if (len == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += len;
    }
    return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

}  // namespace qx
