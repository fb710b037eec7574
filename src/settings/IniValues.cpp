#include "settings/IniValues.h"

#include <cstdio>

#include "text/Cp932.h"

namespace qx {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One or more hex digits whose value fits in 32 bits (leading zeros allowed).
std::optional<std::uint32_t> ParseHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::uint32_t>(v);
}

constexpr std::uint32_t kSystemColour = 0x80000000u;

constexpr ColourName kColourNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", kSystemColour + 0},
    {"clBackground", kSystemColour + 1},
    {"clActiveCaption", kSystemColour + 2},
    {"clInactiveCaption", kSystemColour + 3},
    {"clMenu", kSystemColour + 4},
    {"clWindow", kSystemColour + 5},
    {"clWindowFrame", kSystemColour + 6},
    {"clMenuText", kSystemColour + 7},
    {"clWindowText", kSystemColour + 8},
    {"clCaptionText", kSystemColour + 9},
    {"clActiveBorder", kSystemColour + 10},
    {"clInactiveBorder", kSystemColour + 11},
    {"clAppWorkSpace", kSystemColour + 12},
    {"clHighlight", kSystemColour + 13},
    {"clHighlightText", kSystemColour + 14},
    {"clBtnFace", kSystemColour + 15},
    {"clBtnShadow", kSystemColour + 16},
    {"clGrayText", kSystemColour + 17},
    {"clBtnText", kSystemColour + 18},
    {"clInactiveCaptionText", kSystemColour + 19},
    {"clBtnHighlight", kSystemColour + 20},
    {"cl3DDkShadow", kSystemColour + 21},
    {"cl3DLight", kSystemColour + 22},
    {"clInfoText", kSystemColour + 23},
    {"clInfoBk", kSystemColour + 24},
    {"clHotLight", kSystemColour + 26},
    {"clGradientActiveCaption", kSystemColour + 27},
    {"clGradientInactiveCaption", kSystemColour + 28},
    {"clMenuHighlight", kSystemColour + 29},
    {"clMenuBar", kSystemColour + 30},
};

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto v = ParseHex(text.substr(2));
        if (!v) return std::nullopt;
        return static_cast<std::int32_t>(*v);
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > 0x80000000LL) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > 0x7FFFFFFFLL) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::string Unquote(std::string_view text) {
    if (text.size() > 1 && text.front() == '"' && text.back() == '"') {
        return std::string(text.substr(1, text.size() - 2));
    }
    return std::string(text);
}

std::string Quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

std::span<const ColourName> ColourNames() {
    return kColourNames;
}

std::optional<std::string_view> ColourNameOf(ColourValue value) {
    for (const ColourName& c : ColourNames()) {
        if (c.value == value) return c.name;
    }
    return std::nullopt;
}

std::optional<ColourValue> ParseColour(std::string_view text) {
    for (const ColourName& c : ColourNames()) {
        if (EqualsIgnoreAsciiCase(c.name, text)) return c.value;
    }
    if (!text.empty() && text.front() == '$') return ParseHex(text.substr(1));
    if (const auto v = ParseIniInteger(text)) return static_cast<ColourValue>(*v);
    return std::nullopt;
}

std::string ColourToText(ColourValue value) {
    if (const auto name = ColourNameOf(value)) return std::string(*name);
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(value));
    return buf;
}

}  // namespace qx
