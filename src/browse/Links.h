// Web and FTP addresses in view text: where they are and which one is under a
// given character. Positions are 0-based byte offsets into cp932 text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// A character that may stand inside an address: ASCII "#".."&", "(".. ";",
// "?".."Z", "a".."z", "_", "~", "!", "=". Everything else ends one, non-ASCII
// bytes included.
bool IsUrlChar(unsigned char c);

// True when text[at..] begins with "http://", "https://" or "ftp://" (case-sensitive).
bool StartsWithUrlPrefix(std::string_view text, std::size_t at);
bool ContainsUrlPrefix(std::string_view text);

struct LinkSpan {
    std::size_t first = 0;
    std::size_t length = 0;
    bool operator==(const LinkSpan&) const = default;
};

// Every address in the text, in order, as the view underlines them. An address
// runs from its prefix over URL characters; the scan goes on after the character
// that ended it. Never starts on the second byte of a double-byte character.
std::vector<LinkSpan> MarkLinks(std::string_view text);

struct LinkHit {
    bool found = false;
    std::string link;       // empty when not found
    std::size_t first = 0;  // the address is text[first..last]
    std::size_t last = 0;
};

// The address under the character at `position`. Looks back from there for the
// nearest prefix that has at least eight more characters after its first one,
// runs it over URL characters, and reports it when `position` lies inside.
LinkHit FindLinkAt(std::string_view text, std::size_t position);

}  // namespace qx
