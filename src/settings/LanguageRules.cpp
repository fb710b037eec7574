#include "settings/LanguageRules.h"

#include "text/Cp932.h"

namespace qx {

std::string RewriteDateColumn(std::string_view text, std::string_view languageCode) {
    const bool japanese = languageCode == kJapaneseCode;
    const std::size_t blank = Pos(" ", text);
    const std::string_view date = blank == 0 ? text : text.substr(0, blank - 1);
    const std::string_view rest = text.substr(date.size());
    const std::size_t firstSlash = Pos("/", date);
    if (!japanese && firstSlash == 5) {
        // YYYY/MM/D -> MM/D/YYYY
        const std::string_view year = date.substr(0, 4);
        const std::string_view monthDay = date.substr(5);
        if (Pos("/", monthDay) == 0) return std::string(text);
        return std::string(monthDay) + "/" + std::string(year) + std::string(rest);
    }
    if (japanese && firstSlash == 3) {
        // MM/D/YYYY -> YYYY/MM/D
        const std::size_t secondSlash = Pos("/", date, 4);
        if (secondSlash == 0) return std::string(text);
        const std::string_view monthDay = date.substr(0, secondSlash - 1);
        const std::string_view year = date.substr(secondSlash);
        return std::string(year) + "/" + std::string(monthDay) + std::string(rest);
    }
    return std::string(text);
}

std::string LogFileFilter(std::string_view languageCode, std::string_view dottedExt) {
    const std::string ext(dottedExt);
    if (languageCode == kJapaneseCode) {
        // "ログファイル(*" ... "|全てのファイル(*.*)|*.*"
        return "\x83\x8d\x83\x4f\x83\x74\x83\x40\x83\x43\x83\x8b(*" + ext + ")|*" + ext +
               "|\x91\x53\x82\xc4\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b(*.*)|*.*";
    }
    return "Log Files(*" + ext + ")|*" + ext + "|All Files(*.*)|*.*";
}

std::string SortMarkedTitle(std::string_view title, int upDown) {
    return std::string(title) + (upDown >= 1 ? " >>" : " <<");
}

std::string CaptionWithoutAccessKey(std::string_view caption) {
    std::string_view c = caption;
    if (c.size() >= 4 && c.substr(c.size() - 4, 2) == "(&" && c.back() == ')') c.remove_suffix(4);
    std::string out;
    out.reserve(c.size());
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '&') {
            if (i + 1 < c.size() && c[i + 1] == '&') out += '&', ++i;
            continue;
        }
        out += c[i];
    }
    return out;
}

}  // namespace qx
