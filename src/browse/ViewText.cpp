#include "browse/ViewText.h"

#include <algorithm>

#include "text/BoundedText.h"
#include "text/Cp932.h"

namespace qx {

bool IsQuotedLine(std::string_view line, const std::vector<std::string>& quoteMarks) {
    for (const std::string& mark : quoteMarks) {
        if (!mark.empty() && line.substr(0, mark.size()) == mark) return true;
    }
    return false;
}

ViewLine NextLinePiece(std::string_view rest, LineRole role, std::size_t limit) {
    ViewLine line;
    const std::size_t n = BoundedPrefixLength(rest, std::max<std::size_t>(limit, 2));
    line.text = std::string(rest.substr(0, n));
    line.hidden = std::string(rest.substr(n));
    line.role = role;
    line.links = MarkLinks(line.text);  // addresses never span a line end
    return line;
}

RenderedMessage RenderMessage(LogData& record, const ViewOptions& options) {
    RenderedMessage out;
    auto add = [&out, &options](std::string_view text, LineRole role) {
        out.lines.push_back(NextLinePiece(text, role, options.lineLimit));
    };

    if (options.headerApart) {
        out.headerLabel = std::string(record.HeaderText());
    } else {
        ForEachLine(record.HeaderBlock(),
                    [&](std::string_view line) { add(line, LineRole::Header); });
    }

    bool leading = true;
    ForEachLine(record.PlainBody(options.password), [&](std::string_view line) {
        const bool quoted = IsQuotedLine(line, options.quoteMarks);
        if (leading && quoted) ++out.leadingQuotes;
        if (!quoted) leading = false;
        add(line, quoted ? LineRole::Quote : LineRole::Text);
    });
    return out;
}

std::string QuoteText(std::string_view text, std::string_view prefix) {
    std::string out;
    out.reserve(text.size() + text.size() / 8 * prefix.size() + 16);
    ForEachLine(text, [&](std::string_view line) {
        out += prefix;
        out += line;
        out += "\r\n";
    });
    return out;
}

}  // namespace qx
