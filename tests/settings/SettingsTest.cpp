#include "settings/Settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "settings/History.h"
#include "settings/SettingsPaths.h"
#include "settings/SettingsSchema.h"

namespace qx {
namespace {

using ::testing::ElementsAre;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::string kFixtures = QX_FIXTURES_DIR "/settings/";

SettingsContext FullHd(bool japanese) {
    SettingsContext c;
    c.screenWidth = 1920;
    c.screenHeight = 1080;
    c.japaneseLocale = japanese;
    c.lastColumnWidth = 222;
    return c;
}

TEST(ReadSettings, FirstStartTakesEveryDefault) {
    const Settings s = ReadSettings(IniFile(), FullHd(true));
    EXPECT_EQ(s.mainWindow.left, (1920 - 679) / 2);
    EXPECT_EQ(s.mainWindow.top, (1080 - 440) / 2);
    EXPECT_EQ(s.mainWindow.width, 679);
    EXPECT_EQ(s.mainWindow.height, 440);
    EXPECT_EQ(s.treeWidth, 240);
    EXPECT_EQ(s.listHeight, 137);
    EXPECT_THAT(s.listWidths, ElementsAre(22, 160, 60, 140, 222));
    EXPECT_EQ(s.findWindow.left, (1920 - 500) / 2);
    EXPECT_EQ(s.findWindow.top, (1080 - 300) / 2);
    EXPECT_EQ(s.findWindow.width, 500);
    EXPECT_EQ(s.findWindow.height, 300);
    EXPECT_EQ(s.logFile, "");
    EXPECT_EQ(s.language, "jpn");
    EXPECT_EQ(s.fontName, kJapaneseFontName);
    EXPECT_EQ(s.fontSize, 9);
    EXPECT_EQ(s.sortType, 0);
    EXPECT_EQ(s.encode, 0);
    EXPECT_EQ(s.colours.text, 0x000000u);
    EXPECT_EQ(s.colours.header, 0x008000u);
    EXPECT_EQ(s.colours.quote, 0xFF0000u);
    EXPECT_EQ(s.colours.back, 0xFFFFFFu);
    EXPECT_EQ(s.colours.treeText, 0x000000u);
    EXPECT_EQ(s.colours.treeBack, 0xFFFFFFu);
    EXPECT_EQ(s.colours.listText, 0x000000u);
    EXPECT_EQ(s.colours.listBack, 0xFFFFFFu);
    EXPECT_FALSE(s.bold || s.italic || s.underline || s.strikeOut);
    EXPECT_TRUE(s.dustBox);
    EXPECT_TRUE(s.toolTipDisp);
    EXPECT_FALSE(s.autoEncode || s.readOnly || s.headerDisp || s.quoteScroll || s.regEx ||
                 s.headerEncode || s.dispValue);
    EXPECT_EQ(s.defaultExt, "log");
    EXPECT_EQ(s.historyNum, 10);
    EXPECT_EQ(s.upDown, 1);
    EXPECT_EQ(s.sortColumn, 3);
    EXPECT_EQ(s.multiStr, "[To]");
    EXPECT_TRUE(s.history.empty());
    EXPECT_TRUE(s.findStrings.empty());
    EXPECT_THAT(s.quoteMarks, ElementsAre(">"));
}

TEST(ReadSettings, OtherLocaleGivesEnglishAndArial) {
    const Settings s = ReadSettings(IniFile(), FullHd(false));
    EXPECT_EQ(s.language, "eng");
    EXPECT_EQ(s.fontName, "Arial");
}

TEST(ReadSettings, StoredLanguageChoosesTheDefaultFont) {
    const Settings s = ReadSettings(IniFile::Parse("[Setting]\r\nLanguage=jpn\r\n"), FullHd(false));
    EXPECT_EQ(s.language, "jpn");
    EXPECT_EQ(s.fontName, kJapaneseFontName);
}

TEST(ReadSettings, CentringTruncatesTowardZeroOnASmallScreen) {
    SettingsContext c = FullHd(false);
    c.screenWidth = 600;   // (600 - 679) / 2 = -39.5
    c.screenHeight = 300;  // (300 - 440) / 2 = -70
    const Settings s = ReadSettings(IniFile(), c);
    EXPECT_EQ(s.mainWindow.left, -39);
    EXPECT_EQ(s.mainWindow.top, -70);
}

struct CorrectionCase {
    const char* key;
    const char* value;
    int expected;
};

class ReadCorrections : public ::testing::TestWithParam<CorrectionCase> {};

TEST_P(ReadCorrections, OutOfRangeValuesAreBroughtIntoRange) {
    const CorrectionCase& c = GetParam();
    const IniFile ini =
        IniFile::Parse(std::string("[Setting]\r\n") + c.key + "=" + c.value + "\r\n");
    const Settings s = ReadSettings(ini, FullHd(true));
    const std::string key = c.key;
    const int actual = key == "SortType" ? s.sortType : key == "Encode" ? s.encode : s.historyNum;
    EXPECT_EQ(actual, c.expected) << c.key << "=" << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadCorrections,
    ::testing::Values(CorrectionCase{"SortType", "4", 4}, CorrectionCase{"SortType", "5", -1},
                      CorrectionCase{"SortType", "-1", -1}, CorrectionCase{"SortType", "x", 0},
                      CorrectionCase{"Encode", "1", 1}, CorrectionCase{"Encode", "-5", -1},
                      CorrectionCase{"Encode", "7", 2}, CorrectionCase{"Encode", "0x2", 2},
                      CorrectionCase{"HistoryNum", "5", 10},
                      CorrectionCase{"HistoryNum", "0x20", 32},
                      CorrectionCase{"HistoryNum", "1000", 100},
                      CorrectionCase{"HistoryNum", "many", 10}));

class SampleFile : public ::testing::Test {
protected:
    Settings Read() const {
        SettingsContext c = FullHd(true);
        const std::set<std::string> existing = {"C:\\\x83\x8d\x83\x4f\\\x95\x5c\x8e\xa6.log",
                                                "C:\\old.log", "C:\\beyond.log"};
        c.fileExists = [existing](const std::string& p) { return existing.count(p) != 0; };
        return ReadSettings(IniFile::Parse(ReadBytes(kFixtures + "sample.ini")), c);
    }
};

TEST_F(SampleFile, ReadsEveryKindOfValue) {
    const Settings s = Read();
    EXPECT_EQ(s.mainWindow.left, 100);  // "LEFT" under "[window]"
    EXPECT_EQ(s.mainWindow.top, 0x20);  // "Top = 0x20"
    EXPECT_EQ(s.treeWidth, 240);        // "abc" is no number
    EXPECT_THAT(s.listWidths, ElementsAre(20, 160, 60, 140, 300));
    EXPECT_EQ(s.logFile, "C:\\\x83\x8d\x83\x4f\\\x95\x5c\x8e\xa6.log");
    EXPECT_EQ(s.language, "eng");
    EXPECT_EQ(s.sortType, 2);
    EXPECT_EQ(s.encode, 2);
    EXPECT_EQ(s.colours.text, 0x800000u);    // clNavy
    EXPECT_EQ(s.colours.header, 0x123456u);  // $00123456
    EXPECT_EQ(s.colours.quote, 0x0000FFu);   // 255
    EXPECT_EQ(s.colours.back, 0xFFFFFFu);    // unreadable: the default
    EXPECT_EQ(s.fontName, "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(s.fontSize, 11);
    EXPECT_TRUE(s.bold);
    EXPECT_FALSE(s.italic);
    EXPECT_FALSE(s.dustBox);
    EXPECT_EQ(s.defaultExt, "txt");
    EXPECT_EQ(s.historyNum, 12);
    EXPECT_EQ(s.upDown, -1);
    EXPECT_EQ(s.sortColumn, 1);
    EXPECT_EQ(s.multiStr, "");  // present but empty is not the default
    EXPECT_FALSE(s.toolTipDisp);
    // File01 no longer exists; File03 lies beyond "Num".
    EXPECT_THAT(s.history,
                ElementsAre("C:\\\x83\x8d\x83\x4f\\\x95\x5c\x8e\xa6.log", "C:\\old.log"));
    EXPECT_THAT(s.findStrings, ElementsAre("a b ", "\"", ""));
    EXPECT_THAT(s.quoteMarks, ElementsAre("> ", " | "));
}

TEST_F(SampleFile, WriteRebuildsTheFileInTableOrderAndDropsUnknownKeys) {
    const std::string written = WriteSettings(Read()).Text();
    EXPECT_EQ(written, ReadBytes(kFixtures + "sample_written.ini"));
}

// The writer and the key table must agree: same sections, same keys, same order.
TEST(WriteSettings, KeysFollowTheTableOrder) {
    Settings s = ReadSettings(IniFile(), FullHd(true));
    s.history = {"a.log", "b.log"};
    s.findStrings = {"x"};
    s.quoteMarks = {">", "|", "#"};
    const IniFile ini = WriteSettings(s);

    std::vector<std::string> expected;
    for (const SettingKey& k : SettingsKeys()) {
        if (!k.numbered) {
            expected.push_back(std::string(k.section) + "/" + std::string(k.key));
            continue;
        }
        const int num = ini.ReadInteger(k.section, "Num", -1);
        for (int i = 0; i < num; ++i) {
            expected.push_back(std::string(k.section) + "/" + NumberedKey(k.key, i));
        }
    }
    std::vector<std::string> actual;
    for (const std::string& section : ini.SectionNames()) {
        for (const std::string& key : ini.KeyNames(section)) actual.push_back(section + "/" + key);
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(ini.ReadInteger("Quote", "Num", -1), 3);
}

TEST(WriteSettings, DefaultsWriteColoursByNameAndRoundTrip) {
    const Settings first = ReadSettings(IniFile(), FullHd(true));
    const IniFile ini = WriteSettings(first);
    EXPECT_EQ(ini.ReadString("Setting", "HeaderColor", ""), "clGreen");
    EXPECT_EQ(ini.ReadString("Setting", "QuoteColor", ""), "clBlue");
    const Settings again = ReadSettings(IniFile::Parse(ini.Text()), FullHd(false));
    EXPECT_EQ(WriteSettings(again).Text(), ini.Text());
}

TEST(WriteSettings, QuotedListsKeepTheirBlanksAcrossARestart) {
    Settings s = ReadSettings(IniFile(), FullHd(true));
    s.quoteMarks = {"> ", " | ", "\"", ""};
    s.findStrings = {"  two words  ", "\"\""};
    s.colours.back = 0x00C0FFEE;  // a custom colour
    const Settings back = ReadSettings(IniFile::Parse(WriteSettings(s).Text()), FullHd(true));
    EXPECT_EQ(back.quoteMarks, s.quoteMarks);
    EXPECT_EQ(back.findStrings, s.findStrings);
    EXPECT_EQ(back.colours.back, 0x00C0FFEEu);
    EXPECT_EQ(WriteSettings(s).ReadString("Setting", "BackColor", ""), "$00C0FFEE");
}

TEST(WriteSettings, HistoryIsWrittenAsThePathsBehindTheCaptions) {
    Settings s = ReadSettings(IniFile(), FullHd(true));
    s.history = {"C:\\a.log(&1)", "C:\\b.log"};
    const IniFile ini = WriteSettings(s);
    EXPECT_EQ(ini.ReadString("History", "Num", ""), "2");
    EXPECT_EQ(ini.ReadString("History", "File00", ""), "C:\\a.log");
    EXPECT_EQ(ini.ReadString("History", "File01", ""), "C:\\b.log");
}

TEST(ReadSettings, AllTwelveHistoryEntriesAreListedThenOpeningCutsToTen) {
    std::string text = "[History]\r\nNum=12\r\n";
    for (int i = 0; i < 12; ++i) {
        text += NumberedKey("File", i) + "=f" + std::to_string(i) + ".log\r\n";
    }
    Settings s = ReadSettings(IniFile::Parse(text), FullHd(true));
    ASSERT_EQ(s.history.size(), 12u);
    AddToHistory(s.history, "new.log", false, s.historyNum);
    ASSERT_EQ(s.history.size(), 10u);
    EXPECT_EQ(s.history.front(), "new.log");
    EXPECT_EQ(s.history.back(), "f8.log");
}

TEST(SettingsSchema, NumberedKeysAndLookup) {
    EXPECT_EQ(NumberedKey("File", 0), "File00");
    EXPECT_EQ(NumberedKey("File", 10), "File10");
    EXPECT_EQ(NumberedKey("File", 100), "File100");
    const SettingKey* file = FindSettingKey("history", "file07");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->numbered);
    EXPECT_EQ(file->key, "File");
    EXPECT_EQ(FindSettingKey("History", "File7"), nullptr);  // fewer than two digits
    EXPECT_EQ(FindSettingKey("Setting", "Unknown"), nullptr);
    ASSERT_NE(FindSettingKey("Setting", "fintsize"), nullptr);
    EXPECT_EQ(FindSettingKey("Setting", "FintSize")->type, SettingType::Integer);
    EXPECT_EQ(FindSettingKey("Quote", "String00")->type, SettingType::QuotedText);
    EXPECT_EQ(FindSettingKey("Setting", "HeaderColor")->defaultText, "32768");
}

TEST(HistoryPath, CutsTheAcceleratorOrDropsAmpersands) {
    struct Case {
        const char* caption;
        const char* path;
    };
    const Case cases[] = {
        {"C:\\logs\\a.log", "C:\\logs\\a.log"},
        {"C:\\logs\\a.log(&1)", "C:\\logs\\a.log"},
        {"&C:\\logs\\a.log", "C:\\logs\\a.log"},
        {"C:\\R&D\\a.log", "C:\\RD\\a.log"},
        {"a(&b)(&c)", "a"},
        {"C:\\\x95\x5c\\x.log", "C:\\\x95\x5c\\x.log"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(HistoryPath(c.caption), c.path) << c.caption;
}

TEST(AddToHistory, OpeningMovesAPathToTheTop) {
    std::vector<std::string> h = {"a", "b", "c"};
    AddToHistory(h, "b", false, 10);
    EXPECT_THAT(h, ElementsAre("b", "a", "c"));
}

TEST(AddToHistory, LetterCaseMakesADifferentEntry) {
    std::vector<std::string> h = {"C:\\A.log"};
    AddToHistory(h, "c:\\a.log", false, 10);
    EXPECT_THAT(h, ElementsAre("c:\\a.log", "C:\\A.log"));
}

TEST(AddToHistory, OnlyTheFirstDuplicateBelowTheTopIsRemoved) {
    std::vector<std::string> h = {"x", "a(&1)", "y", "a"};
    AddToHistory(h, "a", false, 10);
    EXPECT_THAT(h, ElementsAre("a", "x", "y", "a"));
}

TEST(AddToHistory, AppendAddsAtTheEndWithoutLimit) {
    std::vector<std::string> h = {"a", "b"};
    AddToHistory(h, "a", true, 1);
    EXPECT_THAT(h, ElementsAre("a", "b", "a"));
}

TEST(AddToHistory, InsertingCutsToTheLimit) {
    std::vector<std::string> h = {"a", "b", "c"};
    AddToHistory(h, "d", false, 2);
    EXPECT_THAT(h, ElementsAre("d", "a"));
}

TEST(SettingsPaths, SettingsFileBesideTheProgramOrInTheUserConfigFolder) {
    EXPECT_EQ(SettingsFilePath("/opt/quillorix/", "alice", true, "/home/alice/.config/Quillorix"),
              "/opt/quillorix/alice.ini");
    EXPECT_EQ(SettingsFilePath("/opt/quillorix/", "alice", false, "/home/alice/.config/Quillorix"),
              "/home/alice/.config/Quillorix/alice.ini");
    EXPECT_EQ(SettingsFilePath("/opt/quillorix", "bob", true, "/cfg/"), "/opt/quillorix/bob.ini");
    EXPECT_EQ(SettingsFilePath("C:\\Quillorix\\", "bob", true, ""), "C:\\Quillorix\\bob.ini");
    EXPECT_EQ(LanguageFilePath("/opt/quillorix/", "eng"), "/opt/quillorix/Language.eng");
    EXPECT_EQ(LanguageFilePath("/opt/quillorix", "jpn"), "/opt/quillorix/Language.jpn");
}

TEST(SettingsPaths, DataFilesBesideTheProgramThenInTheInstalledDataFolder) {
    EXPECT_THAT(DataFolders("/usr/bin"), ElementsAre("/usr/bin", "/usr/share/quillorix"));
    EXPECT_THAT(DataFolders("/tmp/stage/usr/local/bin/"),
                ElementsAre("/tmp/stage/usr/local/bin", "/tmp/stage/usr/local/share/quillorix"));
    EXPECT_THAT(DataFolders("/bin"), ElementsAre("/bin", "/share/quillorix"));
    EXPECT_THAT(DataFolders("bin"), ElementsAre("bin", "./share/quillorix"));
}

}  // namespace
TEST(SettingsPaths, ADataFileIsTakenFromTheFirstFolderThatHasIt) {
    struct Case {
        std::set<std::string> present;
        const char* expected;
    };
    const Case cases[] = {
        {{"/opt/q/bin/Language.jpn", "/opt/q/share/quillorix/Language.jpn"}, "/opt/q/bin/Language.jpn"},
        {{"/opt/q/share/quillorix/Language.jpn"}, "/opt/q/share/quillorix/Language.jpn"},
        // Found nowhere: named where an install puts it.
        {{"/opt/q/bin/Language.eng"}, "/opt/q/share/quillorix/Language.jpn"},
    };
    for (const Case& c : cases) {
        const auto exists = [&](const std::string& path) { return c.present.count(path) > 0; };
        EXPECT_EQ(DataFilePath("/opt/q/bin/", "Language.jpn", exists), c.expected);
    }
}

}  // namespace qx
