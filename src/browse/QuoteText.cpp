#include "browse/QuoteText.h"

namespace qx {

std::string QuoteText(std::string_view text, std::string_view prefix) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 * (prefix.size() + 1) + prefix.size() + 2);
    std::size_t i = 0;
    while (i < text.size()) {
        // CR and LF never occur as the second byte of a cp932 character.
        const std::size_t end = text.find_first_of("\r\n", i);
        out += prefix;
        if (end == std::string_view::npos) {
            out += text.substr(i);
            out += "\r\n";
            break;
        }
        out += text.substr(i, end - i);
        out += "\r\n";
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    return out;
}

}  // namespace qx
