#include "browse/Links.h"

#include <array>

#include "text/Cp932.h"

namespace qx {

namespace {

constexpr std::array<std::string_view, 3> kPrefixes = {"http://", "https://", "ftp://"};

std::size_t AddressEnd(std::string_view text, std::size_t from) {
    std::size_t j = from;
    while (j < text.size() && IsUrlChar(static_cast<unsigned char>(text[j]))) ++j;
    return j;
}

}  // namespace

bool IsUrlChar(unsigned char c) {
    return (c >= '#' && c <= '&') || (c >= '(' && c <= ';') || (c >= '?' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == '_' || c == '~' || c == '!' || c == '=';
}

bool StartsWithUrlPrefix(std::string_view text, std::size_t at) {
    if (at >= text.size()) return false;
    const std::string_view rest = text.substr(at);
    for (std::string_view p : kPrefixes) {
        if (rest.substr(0, p.size()) == p) return true;
    }
    return false;
}

bool ContainsUrlPrefix(std::string_view text) {
    for (std::string_view p : kPrefixes) {
        if (Pos(p, text) != 0) return true;
    }
    return false;
}

std::vector<LinkSpan> MarkLinks(std::string_view text) {
    std::vector<LinkSpan> spans;
    if (!ContainsUrlPrefix(text)) return spans;
    std::size_t i = 0;
    while (i < text.size()) {
        if (StartsWithUrlPrefix(text, i)) {
            const std::size_t end = AddressEnd(text, i);
            spans.push_back({i, end - i});
            i = end < text.size() ? end + CharLength(text, end) : end;
        } else {
            i += CharLength(text, i);
        }
    }
    return spans;
}

LinkHit FindLinkAt(std::string_view text, std::size_t position) {
    LinkHit hit;
    if (position >= text.size()) return hit;
    // Where characters start, up to the one holding `position`.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i <= position; i += CharLength(text, i)) starts.push_back(i);
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
        const std::size_t p = *it;
        if (!StartsWithUrlPrefix(text, p) || text.size() - p - 1 < 8) continue;
        const std::size_t last = AddressEnd(text, p) - 1;
        if (position <= last) {
            hit.found = true;
            hit.link = std::string(text.substr(p, last - p + 1));
            hit.first = p;
            hit.last = last;
        }
        return hit;
    }
    return hit;
}

}  // namespace qx
