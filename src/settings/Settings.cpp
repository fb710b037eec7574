#include "settings/Settings.h"

#include <algorithm>
#include <cstdlib>

#include "settings/History.h"
#include "settings/SettingsSchema.h"

namespace qx {

namespace {

const SettingKey& Row(std::string_view section, std::string_view key) {
    // Every caller names a key of the table; a miss is a programming error.
    const SettingKey* row = FindSettingKey(section, key);
    if (row == nullptr) std::abort();
    return *row;
}

int FixedInt(std::string_view section, std::string_view key) {
    return ParseIniInteger(Row(section, key).defaultText).value_or(0);
}

class Reader {
public:
    explicit Reader(const IniFile& ini) : ini_(ini) {}

    int Int(std::string_view section, std::string_view key, int def) const {
        return ini_.ReadInteger(section, key, def);
    }
    int Int(std::string_view section, std::string_view key) const {
        return Int(section, key, FixedInt(section, key));
    }
    bool Bool(std::string_view section, std::string_view key) const {
        return ini_.ReadBool(section, key, FixedInt(section, key) != 0);
    }
    std::string Text(std::string_view section, std::string_view key) const {
        return ini_.ReadString(section, key, Row(section, key).defaultText);
    }
    ColourValue Colour(std::string_view section, std::string_view key) const {
        const ColourValue def = *ParseColour(Row(section, key).defaultText);
        const auto v = ini_.Value(section, key);
        if (!v) return def;
        return ParseColour(*v).value_or(def);
    }
    // The values of a numbered family, entries 0 .. Num-1.
    template <typename F>
    void Numbered(std::string_view section, std::string_view prefix, F&& each) const {
        const int num = std::min(Int(section, "Num"), kMaxListEntries);
        for (int i = 0; i < num; ++i) each(ini_.ReadString(section, NumberedKey(prefix, i), ""));
    }

private:
    const IniFile& ini_;
};

int Centred(int screen, int designed) {
    return (screen - designed) / 2;
}

WindowRect ReadWindow(const Reader& r, std::string_view section, int screenW, int screenH) {
    WindowRect w;
    w.left = r.Int(section, "Left", Centred(screenW, FixedInt(section, "Left")));
    w.top = r.Int(section, "Top", Centred(screenH, FixedInt(section, "Top")));
    w.width = r.Int(section, "Width");
    w.height = r.Int(section, "Height");
    return w;
}

void WriteWindow(IniFile& ini, std::string_view section, const WindowRect& w) {
    ini.WriteInteger(section, "Left", w.left);
    ini.WriteInteger(section, "Top", w.top);
    ini.WriteInteger(section, "Width", w.width);
    ini.WriteInteger(section, "Height", w.height);
}

void WriteList(IniFile& ini, std::string_view section, std::string_view prefix,
               const std::vector<std::string>& items, bool quoted) {
    ini.WriteInteger(section, "Num", static_cast<std::int64_t>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        ini.WriteString(section, NumberedKey(prefix, static_cast<int>(i)),
                        quoted ? Quote(items[i]) : items[i]);
    }
}

}  // namespace

Settings ReadSettings(const IniFile& ini, const SettingsContext& context) {
    const Reader r(ini);
    Settings s;

    s.mainWindow = ReadWindow(r, "Window", context.screenWidth, context.screenHeight);
    s.treeWidth = r.Int("Window", "TreeWidth");
    s.listHeight = r.Int("Window", "ListHeight");
    for (int i = 0; i < kListColumns; ++i) {
        const std::string key = NumberedKey("ListWidth", i);
        const int def = i == kListColumns - 1 ? context.lastColumnWidth : FixedInt("Window", key);
        s.listWidths[static_cast<std::size_t>(i)] = r.Int("Window", key, def);
    }
    s.findWindow = ReadWindow(r, "Window4", context.screenWidth, context.screenHeight);

    s.logFile = r.Text("Setting", "LogFile");
    s.language = r.Text("Setting", "Language");
    if (s.language.empty()) s.language = context.japaneseLocale ? "jpn" : "eng";

    s.sortType = r.Int("Setting", "SortType");
    if (s.sortType < 0 || s.sortType > 4) s.sortType = -1;  // the box selects no item
    s.encode = std::clamp(r.Int("Setting", "Encode"), -1, 2);

    s.colours.text = r.Colour("Setting", "TextColor");
    s.colours.header = r.Colour("Setting", "HeaderColor");
    s.colours.quote = r.Colour("Setting", "QuoteColor");
    s.colours.back = r.Colour("Setting", "BackColor");
    s.colours.treeText = r.Colour("Setting", "TreeTextColor");
    s.colours.treeBack = r.Colour("Setting", "TreeBackColor");
    s.colours.listText = r.Colour("Setting", "ListTextColor");
    s.colours.listBack = r.Colour("Setting", "ListBackColor");

    s.fontName = ini.ReadString("Setting", "FontName",
                                s.language == "jpn" ? kJapaneseFontName : kOtherFontName);
    s.fontSize = r.Int("Setting", "FintSize");
    s.bold = r.Bool("Setting", "Bold");
    s.italic = r.Bool("Setting", "Italic");
    s.underline = r.Bool("Setting", "Underline");
    s.strikeOut = r.Bool("Setting", "StrikeOut");

    s.dustBox = r.Bool("Setting", "DustBox");
    s.defaultExt = r.Text("Setting", "DefaultExt");
    s.autoEncode = r.Bool("Setting", "AutoEncode");
    // The spin box holds its position inside its range.
    s.historyNum = std::clamp(r.Int("Setting", "HistoryNum"), kMinHistoryNum, kMaxHistoryNum);
    s.readOnly = r.Bool("Setting", "ReadOnly");
    s.headerDisp = r.Bool("Setting", "HeaderDisp");
    s.quoteScroll = r.Bool("Setting", "QuoteScroll");
    s.regEx = r.Bool("Setting", "RegEx");
    s.upDown = r.Int("Setting", "UpDown");
    s.sortColumn = r.Int("Setting", "SortColumn");
    s.multiStr = r.Text("Setting", "MultiStr");
    s.headerEncode = r.Bool("Setting", "HeaderEncode");
    s.toolTipDisp = r.Bool("Setting", "ToolTipDisp");
    s.dispValue = r.Bool("Setting", "DispValue");

    r.Numbered("History", "File", [&](std::string path) {
        if (!context.fileExists || context.fileExists(path)) {
            AddToHistory(s.history, path, /*append=*/true, s.historyNum);
        }
    });
    r.Numbered("Find", "String",
               [&](const std::string& v) { s.findStrings.push_back(Unquote(v)); });
    r.Numbered("Quote", "String",
               [&](const std::string& v) { s.quoteMarks.push_back(Unquote(v)); });
    if (r.Int("Quote", "Num") == 0) s.quoteMarks.emplace_back(">");
    return s;
}

IniFile WriteSettings(const Settings& s) {
    IniFile ini;
    WriteWindow(ini, "Window", s.mainWindow);
    ini.WriteInteger("Window", "TreeWidth", s.treeWidth);
    ini.WriteInteger("Window", "ListHeight", s.listHeight);
    for (int i = 0; i < kListColumns; ++i) {
        ini.WriteInteger("Window", NumberedKey("ListWidth", i),
                         s.listWidths[static_cast<std::size_t>(i)]);
    }
    WriteWindow(ini, "Window4", s.findWindow);

    const std::string_view st = "Setting";
    ini.WriteString(st, "LogFile", s.logFile);
    ini.WriteString(st, "Language", s.language);
    ini.WriteInteger(st, "SortType", s.sortType);
    ini.WriteInteger(st, "Encode", s.encode);
    ini.WriteString(st, "TextColor", ColourToText(s.colours.text));
    ini.WriteString(st, "HeaderColor", ColourToText(s.colours.header));
    ini.WriteString(st, "QuoteColor", ColourToText(s.colours.quote));
    ini.WriteString(st, "BackColor", ColourToText(s.colours.back));
    ini.WriteString(st, "TreeTextColor", ColourToText(s.colours.treeText));
    ini.WriteString(st, "TreeBackColor", ColourToText(s.colours.treeBack));
    ini.WriteString(st, "ListTextColor", ColourToText(s.colours.listText));
    ini.WriteString(st, "ListBackColor", ColourToText(s.colours.listBack));
    ini.WriteString(st, "FontName", s.fontName);
    ini.WriteInteger(st, "FintSize", s.fontSize);
    ini.WriteBool(st, "Bold", s.bold);
    ini.WriteBool(st, "Italic", s.italic);
    ini.WriteBool(st, "Underline", s.underline);
    ini.WriteBool(st, "StrikeOut", s.strikeOut);
    ini.WriteBool(st, "DustBox", s.dustBox);
    ini.WriteString(st, "DefaultExt", s.defaultExt);
    ini.WriteBool(st, "AutoEncode", s.autoEncode);
    // The spin box position is a 16-bit value.
    ini.WriteInteger(st, "HistoryNum", static_cast<std::int16_t>(s.historyNum));
    ini.WriteBool(st, "ReadOnly", s.readOnly);
    ini.WriteBool(st, "HeaderDisp", s.headerDisp);
    ini.WriteBool(st, "QuoteScroll", s.quoteScroll);
    ini.WriteBool(st, "RegEx", s.regEx);
    ini.WriteInteger(st, "UpDown", s.upDown);
    ini.WriteInteger(st, "SortColumn", s.sortColumn);
    ini.WriteString(st, "MultiStr", s.multiStr);
    ini.WriteBool(st, "HeaderEncode", s.headerEncode);
    ini.WriteBool(st, "ToolTipDisp", s.toolTipDisp);
    ini.WriteBool(st, "DispValue", s.dispValue);

    std::vector<std::string> paths;
    paths.reserve(s.history.size());
    for (const std::string& caption : s.history) paths.push_back(HistoryPath(caption));
    WriteList(ini, "History", "File", paths, /*quoted=*/false);
    WriteList(ini, "Find", "String", s.findStrings, /*quoted=*/true);
    WriteList(ini, "Quote", "String", s.quoteMarks, /*quoted=*/true);
    return ini;
}

}  // namespace qx
