// The message view's text: selected messages as styled lines, and the quoted
// form of a copied text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "browse/Links.h"
#include "logstore/LogData.h"

namespace qx {

enum class LineRole { Header, Quote, Text };

struct ViewLine {
    std::string text;  // cp932, without line end
    LineRole role = LineRole::Text;
    std::vector<LinkSpan> links;  // addresses to underline, byte ranges of text
    // The rest of a line too long to lay out at once; the view shows it on demand.
    std::string hidden;
};

// How much of one line the view lays out at a time. A text layout of megabytes
// freezes the window and overflows the drawing coordinates.
inline constexpr std::size_t kViewLineLimit = 64 * 1024;

// Takes the next piece of a long line off the front of `rest`: at most `limit`
// bytes, never ending inside a character, with its links marked; what is left
// goes to the piece's `hidden`.
ViewLine NextLinePiece(std::string_view rest, LineRole role, std::size_t limit = kViewLineLimit);

struct ViewOptions {
    std::string password;                 // the log's current password
    std::vector<std::string> quoteMarks;  // lines of the quote list
    bool headerApart = false;             // "HeaderDisp": header in the panel, not the text
    std::size_t lineLimit = kViewLineLimit;  // longer lines are cut, the rest kept in `hidden`
};

struct RenderedMessage {
    std::vector<ViewLine> lines;
    // With the header apart: the text of the header panel; empty otherwise.
    std::string headerLabel;
    // Quoted lines before the first unquoted one (how far "QuoteScroll" scrolls).
    int leadingQuotes = 0;
};

// A line is quoted when it begins with one of the marks; an empty mark never matches.
bool IsQuotedLine(std::string_view line, const std::vector<std::string>& quoteMarks);

// One message as the view shows it: its header block (unless shown apart), then
// its body decoded with the password, line by line. The caller asks for a missing
// password first (NeedsPasswordFirst).
RenderedMessage RenderMessage(LogData& record, const ViewOptions& options);

// Every line of `text` with `prefix` in front, each ended by CR LF. Lines end at
// CR LF, CR or LF; a final line end starts no new line; an empty text gives "".
std::string QuoteText(std::string_view text, std::string_view prefix);

}  // namespace qx
