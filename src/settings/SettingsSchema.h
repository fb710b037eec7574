// The keys of the settings file: section, key, value type and default, in the
// order the file is written.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qx {

enum class SettingType { Integer, Boolean, Text, QuotedText, Colour };

// Where the value of a missing or unreadable key comes from.
enum class SettingDefault {
    Fixed,       // defaultText
    Centred,     // (screen extent - designed extent) / 2; defaultText is the designed extent
    Current,     // the control's current value; defaultText is its designed value, if fixed
    ByLanguage,  // the view font: kJapaneseFontName for "jpn", else "Arial"
    ByLocale,    // the language code: "jpn" on a Japanese locale, else "eng"
};

struct SettingKey {
    std::string_view section;
    std::string_view key;  // for a numbered family the prefix: "File" stands for File00, File01...
    SettingType type;
    std::string_view defaultText;
    SettingDefault defaultRule = SettingDefault::Fixed;
    bool numbered = false;  // entries 0 .. Num-1, counted by the section's "Num" key
};

// Every key in write order.
std::span<const SettingKey> SettingsKeys();

// The table row of a key, numbered keys ("File07", "String100") included;
// names compare without regard to letter case. Null for a key not in the table.
const SettingKey* FindSettingKey(std::string_view section, std::string_view key);

// prefix + index with at least two digits: "File00", "File10", "File100".
std::string NumberedKey(std::string_view prefix, int index);

// The view's designed font, "ＭＳ ゴシック", in cp932.
inline constexpr std::string_view kJapaneseFontName =
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
inline constexpr std::string_view kOtherFontName = "Arial";

}  // namespace qx
