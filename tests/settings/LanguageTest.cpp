#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "settings/LanguageFile.h"
#include "settings/LanguageRules.h"
#include "settings/LanguageSchema.h"
#include "settings/SettingsPaths.h"
#include "text/Encoding.h"

namespace qx {
namespace {

using ::testing::ElementsAre;
using Items = std::vector<std::string>;

struct CommaCase {
    const char* name;
    std::string text;
    Items expected;
};

class CommaText : public ::testing::TestWithParam<CommaCase> {};

TEST_P(CommaText, SplitsLikeTheLanguageFilesNeed) {
    EXPECT_EQ(SplitCommaText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommaText,
    ::testing::Values(
        CommaCase{"Commas", "a,b,c", {"a", "b", "c"}},
        CommaCase{"BlanksSeparate", "Save As", {"Save", "As"}},
        CommaCase{"BlanksAroundComma", "a , \tb", {"a", "b"}},
        CommaCase{
            "QuotedKeepsBlanksAndCommas", "\"Save &As...\",\"a, b\"", {"Save &As...", "a, b"}},
        CommaCase{"DoubledQuoteInsideQuotes", "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        CommaCase{"EmptyItemBetweenCommas", "a,,b", {"a", "", "b"}},
        CommaCase{"LeadingComma", ",a", {"", "a"}},
        CommaCase{"TrailingCommaAddsNothing", "a,", {"a"}},
        CommaCase{"EmptyQuotes", "\"\",a", {"", "a"}},
        CommaCase{"UnclosedQuoteRunsToTheEnd", "\"abc, d", {"abc, d"}},
        CommaCase{"TextAfterClosingQuoteIsNextItem", "\"ab\"cd", {"ab", "cd"}},
        CommaCase{"Empty", "", {}}, CommaCase{"OnlyBlanks", "  \t ", {}},
        // 0x83 0x5C and 0x95 0x5C end in a backslash byte; items stay whole.
        CommaCase{"DoubleByteItems",
                  "\x83\x5c\x83\x74\x83\x67,\x95\x5c",
                  {"\x83\x5c\x83\x74\x83\x67", "\x95\x5c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageRules, CaptionWithoutAccessKey) {
    struct Case {
        std::string caption, expected;
    } cases[] = {
        {"\x91\x97\x90\x4d(&S)", "\x91\x97\x90\x4d"},  // "送信(&S)" -> "送信"
        {"Se&nd", "Send"},
        {"Save && quit", "Save & quit"},
        {"(&S)", ""},
        {"Plain", "Plain"},
    };
    for (const Case& c : cases) EXPECT_EQ(CaptionWithoutAccessKey(c.caption), c.expected) << c.caption;
}

TEST(LanguageValues, ListItemsTurnDoubleUnderscoreIntoABlank) {
    EXPECT_THAT(LanguageList("__,User,To/From"), ElementsAre(" ", "User", "To/From"));
    EXPECT_THAT(LanguageList("Text__colour,\"a__b c\""), ElementsAre("Text colour", "a b c"));
}

TEST(LanguageValues, PlainAndMessageKinds) {
    struct Case {
        std::string value;
        std::string plain;
        std::string message;
    };
    const Case cases[] = {
        {"Text__colour", "Text colour", "Text colour"},
        {"a, b c", "a, b c", "a, b c"},
        {"line1\\nline2", "line1\\nline2", "line1\nline2"},
        {"__was not found.", " was not found.", " was not found."},
        {"a__\\nb", "a \\nb", "a \nb"},
        {"___", " _", " _"},
        // The backslash here is the trail byte of a double-byte character.
        {"\x95\x5cn", "\x95\x5cn", "\x95\x5cn"},
        {"\x95\x5c\\n", "\x95\x5c\\n", "\x95\x5c\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguagePlain(c.value), c.plain) << c.value;
        EXPECT_EQ(LanguageMessage(c.value), c.message) << c.value;
    }
}

TEST(LanguageFile, ReadsByKindAndIgnoresLetterCase) {
    const LanguageFile f = LanguageFile::Parse(
        "[menu]\r\nstring04=\"Save &As...\",\"Save under a new name\"\r\n"
        "[Label]\r\nString01=Text__colour\r\n"
        "[Message]\r\nString00=Save?\\nNow\r\n");
    EXPECT_THAT(f.List("Menu", "String04"), ElementsAre("Save &As...", "Save under a new name"));
    EXPECT_EQ(f.Plain("LABEL", "STRING01"), "Text colour");
    EXPECT_EQ(f.Message("Message", "String00"), "Save?\nNow");
    EXPECT_TRUE(f.List("Menu", "String05").empty());
    EXPECT_EQ(f.Plain("Label", "String02"), "");
    EXPECT_FALSE(f.Has("Menu", "String05"));
}

TEST(LanguageFile, MissingFileIsNotAnError) {
    std::string error;
    EXPECT_FALSE(LanguageFile::Load(QX_FIXTURES_DIR "/settings/Language.none", error).has_value());
    EXPECT_TRUE(error.empty());
}

TEST(MessageTexts, BuiltInDeletedNodeDashUntilAFileIsRead) {
    const MessageTexts builtIn;
    EXPECT_EQ(builtIn[MessageText::DeletedNode], "-");
    EXPECT_EQ(builtIn[MessageText::CountUnit], "");
    // A file without the key gives the empty text, the dash included.
    const MessageTexts read =
        ReadMessageTexts(LanguageFile::Parse("[Message]\r\nString10=__msgs\r\nString11=a\\nb\r\n"));
    EXPECT_EQ(read[MessageText::DeletedNode], "");
    EXPECT_EQ(read[MessageText::CountUnit], " msgs");
    EXPECT_EQ(read[MessageText::ViewEmpty], "a\nb");
}

struct DateCase {
    const char* text;
    const char* code;
    const char* expected;
};

class DateRewrite : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateRewrite, MovesTheYearToTheLanguagesPlace) {
    const DateCase& c = GetParam();
    EXPECT_EQ(RewriteDateColumn(c.text, c.code), c.expected) << c.text << " -> " << c.code;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateRewrite,
    ::testing::Values(DateCase{"2004/01/15 09:03:01", "eng", "01/15/2004 09:03:01"},
                      DateCase{"2004/01/5 09:03:01", "eng", "01/5/2004 09:03:01"},
                      DateCase{"01/15/2004 09:03:01", "jpn", "2004/01/15 09:03:01"},
                      DateCase{"01/5/2004 09:03:01", "jpn", "2004/01/5 09:03:01"},
                      // any code but "jpn" is month first
                      DateCase{"2004/12/31 23:59:59", "", "12/31/2004 23:59:59"},
                      DateCase{"2004/12/31 23:59:59", "JPN", "12/31/2004 23:59:59"},
                      // already in the language's order
                      DateCase{"2004/01/15 09:03:01", "jpn", "2004/01/15 09:03:01"},
                      DateCase{"01/15/2004 09:03:01", "eng", "01/15/2004 09:03:01"},
                      // neither form
                      DateCase{"", "eng", ""}, DateCase{"", "jpn", ""},
                      DateCase{"hello world", "jpn", "hello world"},
                      DateCase{"2004/0115 09:03:01", "eng", "2004/0115 09:03:01"},
                      DateCase{"01/152004 09:03:01", "jpn", "01/152004 09:03:01"},
                      DateCase{"04/01/15 09:03:01", "eng", "04/01/15 09:03:01"},
                      // a date without a time still moves
                      DateCase{"2004/01/15", "eng", "01/15/2004"}));

TEST(DateRewrite, SwitchingThereAndBackRestoresTheText) {
    for (const char* text : {"2004/01/15 09:03:01", "2004/01/5 09:03:01", "1999/12/31 00:00:00"}) {
        EXPECT_EQ(RewriteDateColumn(RewriteDateColumn(text, "eng"), "jpn"), text);
    }
}

TEST(DialogFilter, PerLanguageAndExtension) {
    std::string jpn;
    ASSERT_TRUE(Utf8ToCp932("ログファイル(*.log)|*.log|全てのファイル(*.*)|*.*", jpn));
    EXPECT_EQ(LogFileFilter("jpn", ".log"), jpn);
    EXPECT_EQ(LogFileFilter("eng", ".log"), "Log Files(*.log)|*.log|All Files(*.*)|*.*");
    EXPECT_EQ(LogFileFilter("eng", ".txt"), "Log Files(*.txt)|*.txt|All Files(*.*)|*.*");
    EXPECT_EQ(LogFileFilter("eng", ""), "Log Files(*)|*|All Files(*.*)|*.*");
}

TEST(SortMarkedTitle, AscendingAndDescending) {
    EXPECT_EQ(SortMarkedTitle("Date", 1), "Date >>");
    EXPECT_EQ(SortMarkedTitle("Date", 2), "Date >>");
    EXPECT_EQ(SortMarkedTitle("Date", -1), "Date <<");
    EXPECT_EQ(SortMarkedTitle("Date", 0), "Date <<");
}

TEST(LanguageSchema, KeysAreUniqueAndUnreadKeysAbsent) {
    std::set<std::string> seen;
    for (const LanguageKey& k : LanguageKeys()) {
        EXPECT_TRUE(seen.insert(std::string(k.section) + "/" + std::string(k.key)).second)
            << k.section << "/" << k.key;
    }
    EXPECT_EQ(FindLanguageKey("Menu", "String09"), nullptr);
    EXPECT_EQ(FindLanguageKey("Button", "String01"), nullptr);
    const LanguageKey* send = FindLanguageKey("menu", "string60");
    ASSERT_NE(send, nullptr);
    EXPECT_THAT(send->targets, ElementsAre("mnuSend", "mnuRSend", ""));
    const LanguageKey* radio = FindLanguageKey("RadioGroup", "String00");
    ASSERT_NE(radio, nullptr);
    EXPECT_THAT(BuiltInItems(*radio),
                ElementsAre("保存形式", "暗号化しない", "暗号化する", "パスワード付き暗号化"));
    EXPECT_EQ(FindLanguageKey("Message", "String03")->builtInUtf8, "-");
}

// The shipped language files: cp932 with CR LF, every key present, nothing else.
class ShippedLanguageFile : public ::testing::TestWithParam<const char*> {
protected:
    std::string Path() const { return LanguageFilePath(QX_SOURCE_DIR "/data/", GetParam()); }
};

TEST_P(ShippedLanguageFile, IsCp932WithCrLfLineEnds) {
    std::ifstream in(Path(), std::ios::binary);
    ASSERT_TRUE(in) << Path();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string utf8;
    EXPECT_TRUE(Cp932ToUtf8Strict(bytes, utf8));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "LF alone at " << i;
        }
        if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "CR alone at " << i;
        }
    }
}

TEST_P(ShippedLanguageFile, HoldsEveryKeyInTheShapeItsTargetNeeds) {
    std::string error;
    const auto file = LanguageFile::Load(Path(), error);
    ASSERT_TRUE(file.has_value()) << Path() << " " << error;

    for (const LanguageKey& k : LanguageKeys()) {
        SCOPED_TRACE(std::string(k.section) + "/" + std::string(k.key));
        ASSERT_TRUE(file->Has(k.section, k.key));
        if (k.kind == LanguageValueKind::List) {
            const Items items = file->List(k.section, k.key);
            ASSERT_FALSE(items.empty());
            EXPECT_FALSE(items.front().empty());
            switch (k.role) {
                case LanguageRole::MenuCaption:
                case LanguageRole::CommandCaption:
                case LanguageRole::ButtonCaption:
                    EXPECT_LE(items.size(), 2u);  // caption, hint
                    break;
                default:
                    EXPECT_EQ(items.size(), BuiltInItems(k).size());
            }
        } else if (k.kind == LanguageValueKind::Plain) {
            EXPECT_FALSE(file->Plain(k.section, k.key).empty());
        } else {
            EXPECT_FALSE(file->Message(k.section, k.key).empty());
        }
    }
    // Nothing the program would not read (a misspelt key would go unnoticed).
    for (const std::string& section : file->Ini().SectionNames()) {
        for (const std::string& key : file->Ini().KeyNames(section)) {
            EXPECT_NE(FindLanguageKey(section, key), nullptr) << section << "/" << key;
        }
    }
    // Both are shown right after "[" + path + "]" or a count: each starts with a blank.
    const MessageTexts m = ReadMessageTexts(*file);
    if (std::string(GetParam()) == "eng") {
        EXPECT_EQ(m[MessageText::FileMissing].front(), ' ');
        EXPECT_EQ(m[MessageText::CountUnit].front(), ' ');
    }
    EXPECT_NE(m[MessageText::AskSaveDeletions].find('\n'), std::string::npos);
    EXPECT_EQ(file->List("ListView", "String00").front(), " ");
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguageFile, ::testing::Values("jpn", "eng"));

TEST(ShippedJapaneseFile, CaptionsAreTheBuiltInOnes) {
    std::string error;
    const auto file = LanguageFile::Load(LanguageFilePath(QX_SOURCE_DIR "/data", "jpn"), error);
    ASSERT_TRUE(file.has_value()) << error;
    for (const LanguageKey& k : LanguageKeys()) {
        if (k.role == LanguageRole::Message || k.builtInUtf8.empty()) continue;
        SCOPED_TRACE(std::string(k.section) + "/" + std::string(k.key));
        Items items;
        if (k.kind == LanguageValueKind::List) {
            items = file->List(k.section, k.key);
        } else {
            items.push_back(file->Plain(k.section, k.key));
        }
        for (std::string& item : items) item = Cp932ToUtf8(item);
        const Items builtIn = BuiltInItems(k);
        items.resize(std::min(items.size(), builtIn.size()));  // hints have no built-in text
        EXPECT_EQ(items, builtIn);
    }
}

TEST(ShippedEnglishFile, MenusCarryTheirAccelerators) {
    std::string error;
    const auto file = LanguageFile::Load(LanguageFilePath(QX_SOURCE_DIR "/data", "eng"), error);
    ASSERT_TRUE(file.has_value()) << error;
    EXPECT_THAT(file->List("Menu", "String00"), ElementsAre("&File"));
    EXPECT_THAT(file->List("Menu", "String02"), ElementsAre("&Open..."));
    EXPECT_THAT(file->List("Menu", "String04"), ElementsAre("Save &As..."));
    for (const LanguageKey& k : LanguageKeys()) {
        if (k.section != "Menu" || k.key == "String51" || k.key == "String90") continue;
        EXPECT_NE(file->List(k.section, k.key).front().find('&'), std::string::npos) << k.key;
    }
    // English texts are plain ASCII.
    for (const LanguageKey& k : LanguageKeys()) {
        EXPECT_TRUE(IsAscii(file->Ini().ReadString(k.section, k.key, ""))) << k.section << k.key;
    }
}

}  // namespace
}  // namespace qx
