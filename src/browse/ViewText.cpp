#include "browse/ViewText.h"

#include "text/Cp932.h"

namespace qx {

bool IsQuotedLine(std::string_view line, const std::vector<std::string>& quoteMarks) {
    for (const std::string& mark : quoteMarks) {
        if (!mark.empty() && line.substr(0, mark.size()) == mark) return true;
    }
    return false;
}

RenderedMessage RenderMessage(LogData& record, const ViewOptions& options) {
    RenderedMessage out;
    auto add = [&out](std::string_view text, LineRole role) {
        ViewLine line;
        line.text = std::string(text);
        line.role = role;
        line.links = MarkLinks(line.text);  // addresses never span a line end
        out.lines.push_back(std::move(line));
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
