// Byte-string helpers for cp932 (Shift-JIS) text.
//
// Text is held as cp932 bytes in std::string. Positions are 1-based and 0 means
// "not found", and no search ever reports a match that begins on the second byte
// of a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// First byte of a double-byte cp932 character.
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character starting at index i (0-based): 2 for a lead
// byte that has a byte after it, otherwise 1.
inline std::size_t CharLength(std::string_view s, std::size_t i) {
    return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// 1-based position of the first occurrence of needle in text at or after the
// 1-based position from, skipping matches that start on a trail byte; 0 if none.
// An empty needle is never found.
std::size_t Pos(std::string_view needle, std::string_view text, std::size_t from = 1);

// 1-based position of the last such occurrence; 0 if none.
std::size_t LastPos(std::string_view needle, std::string_view text);

inline bool Contains(std::string_view text, std::string_view needle) {
    return Pos(needle, text) != 0;
}

// Removes bytes 0x00..0x20 at both ends (a full-width space is kept).
inline std::string_view Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
    return s.substr(b, e - b);
}

// 1-based substring: empty when count <= 0 or start beyond the end; start below 1
// counts as 1; stops at the end of the text.
std::string_view Substring(std::string_view s, long long start, long long count);

// Splits at CR LF, CR or LF. A final line break does not make an empty last line;
// an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view s);

// The line starting at index `pos` (ended by CR LF, CR, LF or the end of the text)
// and the index just past its line end.
struct LineSpan {
    std::string_view line;
    std::size_t next;
};
LineSpan NextLine(std::string_view s, std::size_t pos);

// Calls f(line) for each line, with the same rules as SplitLines.
template <typename F>
void ForEachLine(std::string_view s, F&& f) {
    for (std::size_t i = 0; i < s.size();) {
        const LineSpan span = NextLine(s, i);
        f(span.line);
        i = span.next;
    }
}

// True when every line end of s is a CR LF pair and s is empty or ends with one:
// then s is exactly its lines, each followed by CR LF.
bool IsCrLfText(std::string_view s);

// Replaces every occurrence of from (at character boundaries) with to.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Letter-case folding of ASCII letters only; other bytes unchanged.
std::string AsciiLower(std::string_view s);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace qx
