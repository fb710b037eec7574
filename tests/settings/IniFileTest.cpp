#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "settings/IniValues.h"

namespace qx {
namespace {

struct LookupCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class IniLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsValueAsTheReadingRulesSay) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(IniFile::Parse(c.text).Value(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniLookup,
    ::testing::Values(
        LookupCase{"BlanksAroundEverything", "  [ Setting ]  \r\n  Key  =  a value  \r\n",
                   "Setting", "Key", "a value"},
        LookupCase{"ControlCharactersTrimmed", "[S]\r\n\tKey\t=\tv\x01\r\n", "S", "Key", "v"},
        LookupCase{"SectionNameIgnoresCase", "[setting]\r\nLogFile=a\r\n", "SETTING", "LogFile",
                   "a"},
        LookupCase{"KeyNameIgnoresCase", "[S]\r\nLOGFILE=a\r\n", "S", "logfile", "a"},
        LookupCase{"CommentSkipped", "[S]\r\n;Key=x\r\n", "S", ";Key", std::nullopt},
        LookupCase{"IndentedComment", "[S]\r\n   ; Key=x\r\n", "S", "; Key", std::nullopt},
        LookupCase{"EntryBeforeFirstSection", "Key=1\r\n[S]\r\n", "S", "Key", std::nullopt},
        LookupCase{"ValueKeepsLaterEquals", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
        LookupCase{"EmptyValueIsPresent", "[S]\r\nK=\r\n", "S", "K", ""},
        LookupCase{"LineWithoutEqualsIsNoEntry", "[S]\r\nK\r\n", "S", "K", std::nullopt},
        LookupCase{"LfLineEnds", "[S]\nA=1\nB=2\n", "S", "B", "2"},
        LookupCase{"CrLineEnds", "[S]\rA=1\rB=2\r", "S", "B", "2"},
        LookupCase{"FirstOfDuplicateKeysWins", "[S]\r\nK=1\r\nk=2\r\n", "S", "K", "1"},
        LookupCase{"RepeatedSectionContinues", "[S]\r\nA=1\r\n[T]\r\n[s]\r\nB=2\r\n", "S", "B",
                   "2"},
        // 0x89 0x5D is one double-byte character: the line does not end in "]", so
        // it opens no section and the entry after it still belongs to [S].
        LookupCase{"TrailByteBracketOpensNoSection", "[S]\r\n[x\x89\x5d\r\nK=v\r\n", "S", "K", "v"},
        LookupCase{"CpValueBytesKept", "[S]\r\nK=C:\\\x95\x5c\x8e\xa6.log\r\n", "S", "K",
                   "C:\\\x95\x5c\x8e\xa6.log"},
        LookupCase{"UnknownSection", "[S]\r\nK=1\r\n", "T", "K", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFileWrite, SectionsAndKeysInFirstWriteOrderWithCrLf) {
    IniFile ini;
    ini.WriteString("Window", "Left", "1");
    ini.WriteInteger("Setting", "UpDown", -1);
    ini.WriteString("Window", "Top", "2");
    ini.WriteBool("Setting", "Bold", true);
    ini.WriteString("WINDOW", "left", "3");  // same key: value replaced in place
    EXPECT_EQ(ini.Text(),
              "[Window]\r\nLeft=3\r\nTop=2\r\n\r\n"
              "[Setting]\r\nUpDown=-1\r\nBold=1\r\n\r\n");
}

TEST(IniFileWrite, ReadBackGivesTheSameValues) {
    IniFile ini;
    ini.WriteString("S", "Text", "C:\\\x95\x5c.log");
    ini.WriteString("S", "Quoted", Quote(" > "));
    const IniFile back = IniFile::Parse(ini.Text());
    EXPECT_EQ(back.ReadString("S", "Text", ""), "C:\\\x95\x5c.log");
    // Without its quotes the blanks around the mark would be trimmed away.
    EXPECT_EQ(Unquote(back.ReadString("S", "Quoted", "")), " > ");
}

struct IntCase {
    const char* value;
    std::optional<std::int32_t> expected;
};

class IniInteger : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniInteger, ParsesDecimalAndHex) {
    EXPECT_EQ(ParseIniInteger(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniInteger,
    ::testing::Values(IntCase{"12", 12}, IntCase{"-1", -1}, IntCase{"+7", 7}, IntCase{"007", 7},
                      IntCase{"0x1F", 31}, IntCase{"0X1f", 31}, IntCase{"0x", std::nullopt},
                      IntCase{"0", 0}, IntCase{"0xFFFFFFFF", -1},
                      IntCase{"0x100000000", std::nullopt}, IntCase{"0x1G", std::nullopt},
                      IntCase{"2147483647", 2147483647}, IntCase{"2147483648", std::nullopt},
                      IntCase{"-2147483648", -2147483647 - 1}, IntCase{"12a", std::nullopt},
                      IntCase{"1 2", std::nullopt}, IntCase{"", std::nullopt},
                      IntCase{"-", std::nullopt}, IntCase{"$10", std::nullopt},
                      IntCase{"-0x10", std::nullopt}));

TEST(IniFileRead, IntegersAndBooleansFallBackToTheDefault) {
    const IniFile ini = IniFile::Parse(
        "[S]\r\nHex=0x10\r\nBad=ten\r\nZero=0\r\nTwo=2\r\nHexZero=0x0\r\nEmpty=\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 5), 16);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 5), 5);
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Two", false));
    EXPECT_FALSE(ini.ReadBool("S", "HexZero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Bad", true));
    EXPECT_FALSE(ini.ReadBool("S", "Bad", false));
}

struct QuoteCase {
    const char* value;
    const char* expected;
};

class UnquoteRule : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(UnquoteRule, RemovesOneEnclosingPair) {
    EXPECT_EQ(Unquote(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, UnquoteRule,
                         ::testing::Values(QuoteCase{"\"a b\"", "a b"}, QuoteCase{"\" > \"", " > "},
                                           QuoteCase{"\"", "\""}, QuoteCase{"\"\"", ""},
                                           QuoteCase{"\"\"\"", "\""}, QuoteCase{"\"abc", "\"abc"},
                                           QuoteCase{"abc\"", "abc\""},
                                           QuoteCase{"a\"b\"", "a\"b\""}, QuoteCase{"", ""},
                                           QuoteCase{"plain", "plain"}));

struct ColourCase {
    const char* text;
    std::optional<ColourValue> expected;
};

class ColourParse : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourParse, ReadsNamesAndNumbers) {
    EXPECT_EQ(ParseColour(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColourParse,
    ::testing::Values(ColourCase{"clGreen", 0x008000}, ColourCase{"CLGREEN", 0x008000},
                      ColourCase{"clRed", 0x0000FF}, ColourCase{"clSkyBlue", 0xF0CAA6},
                      ColourCase{"clBtnFace", 0x8000000F}, ColourCase{"clHotLight", 0x8000001A},
                      ColourCase{"clMenuBar", 0x8000001E}, ColourCase{"clNone", 0x1FFFFFFF},
                      ColourCase{"clDefault", 0x20000000}, ColourCase{"$00FF8040", 0x00FF8040},
                      ColourCase{"$ff", 0xFF}, ColourCase{"$80000005", 0x80000005},
                      ColourCase{"32768", 0x8000}, ColourCase{"16711680", 0xFF0000},
                      ColourCase{"-16777201", 0xFF00000F}, ColourCase{"$", std::nullopt},
                      ColourCase{"$123456789", std::nullopt}, ColourCase{"$12G", std::nullopt},
                      ColourCase{"clPink", std::nullopt}, ColourCase{"", std::nullopt}));

struct ColourTextCase {
    ColourValue value;
    const char* expected;
};

class ColourWrite : public ::testing::TestWithParam<ColourTextCase> {};

TEST_P(ColourWrite, NameOrDollarAndEightHexDigits) {
    EXPECT_EQ(ColourToText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColourWrite,
    ::testing::Values(ColourTextCase{0x000000, "clBlack"}, ColourTextCase{0x008000, "clGreen"},
                      ColourTextCase{0xFF0000, "clBlue"}, ColourTextCase{0xFFFFFF, "clWhite"},
                      ColourTextCase{0xA4A0A0, "clMedGray"},
                      ColourTextCase{0x80000012, "clBtnText"},
                      // index 25 has no system colour name
                      ColourTextCase{0x80000019, "$80000019"},
                      ColourTextCase{0x123456, "$00123456"}, ColourTextCase{0xABCDEF, "$00ABCDEF"},
                      ColourTextCase{0xFFFFFFFF, "$FFFFFFFF"}));

TEST(Colours, EveryNamedAndCustomValueSurvivesWriteAndRead) {
    std::vector<ColourValue> values;
    for (const ColourName& c : ColourNames()) values.push_back(c.value);
    for (ColourValue v : {0x123456u, 0x00C0FFEEu, 0x80000019u, 0xFFFFFFFFu}) values.push_back(v);
    for (ColourValue v : values) EXPECT_EQ(ParseColour(ColourToText(v)), v) << ColourToText(v);
}

class IniFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qx_settings_" + std::to_string(std::random_device{}()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(IniFileOnDisk, MissingFileReadsAsEmpty) {
    IniFile ini = IniFile::Parse("[S]\r\nK=1\r\n");
    std::string error;
    EXPECT_TRUE(ini.LoadFile((dir_ / "nobody.ini").string(), error));
    EXPECT_TRUE(ini.SectionNames().empty());
    EXPECT_TRUE(error.empty());
}

TEST_F(IniFileOnDisk, SaveWritesTheTextByteForByteAndLoadReadsItBack) {
    IniFile ini;
    ini.WriteString("Setting", "LogFile", "C:\\\x95\x5c.log");
    const std::string path = (dir_ / "alice.ini").string();
    std::string error;
    ASSERT_TRUE(ini.SaveFile(path, error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "[Setting]\r\nLogFile=C:\\\x95\x5c.log\r\n\r\n");
    IniFile back;
    ASSERT_TRUE(back.LoadFile(path, error)) << error;
    EXPECT_EQ(back.ReadString("Setting", "LogFile", ""), "C:\\\x95\x5c.log");
}

TEST_F(IniFileOnDisk, SaveIntoAMissingFolderFailsWithTheFileNamed) {
    const std::string path = (dir_ / "no" / "such" / "alice.ini").string();
    std::string error;
    EXPECT_FALSE(IniFile().SaveFile(path, error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
}

}  // namespace
}  // namespace qx
