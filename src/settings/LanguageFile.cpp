#include "settings/LanguageFile.h"

#include <filesystem>
#include <system_error>

#include "text/Cp932.h"

namespace qx {

namespace {

// Separators and quotes are ASCII below 0x40, so no trail byte can be taken for one.
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view s) {
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && IsBlank(s[i])) ++i;
    while (i < n) {
        std::string item;
        if (s[i] == '"') {
            ++i;
            while (i < n) {
                if (s[i] == '"') {
                    if (i + 1 < n && s[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += s[i++];
            }
        } else {
            const std::size_t start = i;
            while (i < n && !IsBlank(s[i]) && s[i] != ',') ++i;
            item.assign(s.substr(start, i - start));
        }
        items.push_back(std::move(item));
        while (i < n && IsBlank(s[i])) ++i;
        if (i < n && s[i] == ',') {
            ++i;
            while (i < n && IsBlank(s[i])) ++i;
        }
    }
    return items;
}

std::vector<std::string> LanguageList(std::string_view value) {
    std::vector<std::string> items = SplitCommaText(value);
    for (std::string& item : items) item = ReplaceAll(item, "__", " ");
    return items;
}

std::string LanguagePlain(std::string_view value) {
    return ReplaceAll(value, "__", " ");
}

std::string LanguageMessage(std::string_view value) {
    return ReplaceAll(LanguagePlain(value), "\\n", "\n");
}

std::optional<LanguageFile> LanguageFile::Load(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(path), ec)) {
        if (ec) error = path + ": " + ec.message();
        return std::nullopt;
    }
    IniFile ini;
    if (!ini.LoadFile(path, error)) return std::nullopt;
    return LanguageFile(std::move(ini));
}

std::vector<std::string> LanguageFile::List(std::string_view section, std::string_view key) const {
    return LanguageList(ini_.ReadString(section, key, ""));
}

std::string LanguageFile::Plain(std::string_view section, std::string_view key) const {
    return LanguagePlain(ini_.ReadString(section, key, ""));
}

std::string LanguageFile::Message(std::string_view section, std::string_view key) const {
    return LanguageMessage(ini_.ReadString(section, key, ""));
}

}  // namespace qx
