// Language files: ini files whose values are lists, plain texts or messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"

namespace qx {

enum class LanguageValueKind {
    List,     // comma text; "__" in an item is a blank
    Plain,    // the whole value; "__" is a blank
    Message,  // as Plain, then "\n" is a line feed
};

// Items of a comma text: separated by a comma or by a run of bytes 0x00-0x20; an
// item that starts with a double quote runs to the matching double quote, may
// hold commas and blanks, and a doubled double quote inside it stands for one.
std::vector<std::string> SplitCommaText(std::string_view text);

// A value taken apart by kind (see LanguageValueKind).
std::vector<std::string> LanguageList(std::string_view value);
std::string LanguagePlain(std::string_view value);
std::string LanguageMessage(std::string_view value);

class LanguageFile {
public:
    LanguageFile() = default;
    explicit LanguageFile(IniFile ini) : ini_(std::move(ini)) {}

    static LanguageFile Parse(std::string_view text) { return LanguageFile(IniFile::Parse(text)); }

    // Nothing when the file does not exist (error left empty: a missing language
    // file is not reported) or cannot be read (error says why).
    static std::optional<LanguageFile> Load(const std::string& path, std::string& error);

    bool Has(std::string_view section, std::string_view key) const {
        return ini_.Value(section, key).has_value();
    }
    // A missing key gives an empty list or text.
    std::vector<std::string> List(std::string_view section, std::string_view key) const;
    std::string Plain(std::string_view section, std::string_view key) const;
    std::string Message(std::string_view section, std::string_view key) const;

    const IniFile& Ini() const { return ini_; }

private:
    IniFile ini_;
};

}  // namespace qx
