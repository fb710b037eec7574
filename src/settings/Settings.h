// The program's options as read from and written to the settings file.
//
// ReadSettings turns a settings image into values, with every default and
// correction of the reading steps applied; WriteSettings rebuilds the image from
// the values in the file's key order. Platform facts (screen size, locale, which
// files exist) come in through SettingsContext.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/IniValues.h"

namespace qx {

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ViewColours {
    ColourValue text = 0;
    ColourValue header = 0;
    ColourValue quote = 0;
    ColourValue back = 0;
    ColourValue treeText = 0;
    ColourValue treeBack = 0;
    ColourValue listText = 0;
    ColourValue listBack = 0;
};

// Number of columns of the message list.
inline constexpr int kListColumns = 5;

// Limits of the recent-files count spin box.
inline constexpr int kMinHistoryNum = 10;
inline constexpr int kMaxHistoryNum = 100;

struct Settings {
    // "Window"
    WindowRect mainWindow;
    int treeWidth = 0;
    int listHeight = 0;
    std::array<int, kListColumns> listWidths{};
    // "Window4"
    WindowRect findWindow;
    // "Setting"
    std::string logFile;
    std::string language;  // never empty after reading: "jpn", "eng" or the stored code
    int sortType = 0;      // item index of the tree key box; -1 selects none
    int encode = 0;        // item index of the save type, -1 to 2
    ViewColours colours;
    std::string fontName;
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool dustBox = false;
    std::string defaultExt;
    bool autoEncode = false;
    int historyNum = 0;
    bool readOnly = false;
    bool headerDisp = false;
    bool quoteScroll = false;
    bool regEx = false;
    int upDown = 0;
    int sortColumn = 0;
    std::string multiStr;
    bool headerEncode = false;
    bool toolTipDisp = false;
    bool dispValue = false;
    // "History", "Find", "Quote"
    std::vector<std::string> history;  // menu captions, most recent first
    std::vector<std::string> findStrings;
    std::vector<std::string> quoteMarks;
};

struct SettingsContext {
    int screenWidth = 0;
    int screenHeight = 0;
    bool japaneseLocale = false;  // the user's default locale is Japanese (1041)
    int lastColumnWidth = 0;      // current width of the list's self-sizing last column
    // Whether a recent file still exists; entries for which it answers false are
    // dropped. When unset every entry is kept.
    std::function<bool(const std::string&)> fileExists;
};

// Upper bound on the entries read for one "Num", so a damaged count cannot make
// reading run for ever.
inline constexpr int kMaxListEntries = 10000;

Settings ReadSettings(const IniFile& ini, const SettingsContext& context);

IniFile WriteSettings(const Settings& settings);

}  // namespace qx
