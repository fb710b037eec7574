#include "settings/SettingsSchema.h"

#include <cstdio>

#include "text/Cp932.h"

namespace qx {

namespace {

using T = SettingType;
using D = SettingDefault;

constexpr SettingKey kKeys[] = {
    {"Window", "Left", T::Integer, "679", D::Centred},
    {"Window", "Top", T::Integer, "440", D::Centred},
    {"Window", "Width", T::Integer, "679", D::Current},
    {"Window", "Height", T::Integer, "440", D::Current},
    {"Window", "TreeWidth", T::Integer, "240", D::Current},
    {"Window", "ListHeight", T::Integer, "137", D::Current},
    {"Window", "ListWidth00", T::Integer, "22", D::Current},
    {"Window", "ListWidth01", T::Integer, "160", D::Current},
    {"Window", "ListWidth02", T::Integer, "60", D::Current},
    {"Window", "ListWidth03", T::Integer, "140", D::Current},
    {"Window", "ListWidth04", T::Integer, "", D::Current},  // the self-sizing last column
    {"Window4", "Left", T::Integer, "500", D::Centred},
    {"Window4", "Top", T::Integer, "300", D::Centred},
    {"Window4", "Width", T::Integer, "500"},
    {"Window4", "Height", T::Integer, "300"},
    {"Setting", "LogFile", T::Text, ""},
    {"Setting", "Language", T::Text, "", D::ByLocale},
    {"Setting", "SortType", T::Integer, "0"},
    {"Setting", "Encode", T::Integer, "0"},
    {"Setting", "TextColor", T::Colour, "0"},
    {"Setting", "HeaderColor", T::Colour, "32768"},
    {"Setting", "QuoteColor", T::Colour, "16711680"},
    {"Setting", "BackColor", T::Colour, "16777215"},
    {"Setting", "TreeTextColor", T::Colour, "0"},
    {"Setting", "TreeBackColor", T::Colour, "16777215"},
    {"Setting", "ListTextColor", T::Colour, "0"},
    {"Setting", "ListBackColor", T::Colour, "16777215"},
    {"Setting", "FontName", T::Text, "", D::ByLanguage},
    {"Setting", "FintSize", T::Integer, "9", D::Current},
    {"Setting", "Bold", T::Boolean, "0"},
    {"Setting", "Italic", T::Boolean, "0"},
    {"Setting", "Underline", T::Boolean, "0"},
    {"Setting", "StrikeOut", T::Boolean, "0"},
    {"Setting", "DustBox", T::Boolean, "1"},
    {"Setting", "DefaultExt", T::Text, "log"},
    {"Setting", "AutoEncode", T::Boolean, "0"},
    {"Setting", "HistoryNum", T::Integer, "10"},
    {"Setting", "ReadOnly", T::Boolean, "0"},
    {"Setting", "HeaderDisp", T::Boolean, "0"},
    {"Setting", "QuoteScroll", T::Boolean, "0"},
    {"Setting", "RegEx", T::Boolean, "0"},
    {"Setting", "UpDown", T::Integer, "1"},
    {"Setting", "SortColumn", T::Integer, "3"},
    {"Setting", "MultiStr", T::Text, "[To]"},
    {"Setting", "HeaderEncode", T::Boolean, "0"},
    {"Setting", "ToolTipDisp", T::Boolean, "1"},
    {"Setting", "DispValue", T::Boolean, "0"},
    {"History", "Num", T::Integer, "0"},
    {"History", "File", T::Text, "", D::Fixed, true},
    {"Find", "Num", T::Integer, "0"},
    {"Find", "String", T::QuotedText, "", D::Fixed, true},
    {"Quote", "Num", T::Integer, "0"},
    {"Quote", "String", T::QuotedText, "", D::Fixed, true},
};

// True when key is prefix followed by two or more decimal digits.
bool IsNumberedKey(std::string_view key, std::string_view prefix) {
    if (key.size() < prefix.size() + 2) return false;
    if (!EqualsIgnoreAsciiCase(key.substr(0, prefix.size()), prefix)) return false;
    for (char c : key.substr(prefix.size())) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

std::span<const SettingKey> SettingsKeys() {
    return kKeys;
}

const SettingKey* FindSettingKey(std::string_view section, std::string_view key) {
    for (const SettingKey& k : kKeys) {
        if (!EqualsIgnoreAsciiCase(k.section, section)) continue;
        if (k.numbered ? IsNumberedKey(key, k.key) : EqualsIgnoreAsciiCase(k.key, key)) return &k;
    }
    return nullptr;
}

std::string NumberedKey(std::string_view prefix, int index) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", index);
    return std::string(prefix) + digits;
}

}  // namespace qx
