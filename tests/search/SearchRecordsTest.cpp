#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "crypto/ProtectedText.h"
#include "search/SearchRecords.h"

namespace qx {
namespace {

const std::string kTop = std::string(37, '=');
const std::string kSep = std::string(37, '-');

std::string Block(const std::string& header, const std::string& body,
                  const std::string& sep = kSep) {
    return kTop + "\r\n" + header + "\r\n" + sep + "\r\n" + body;
}

// Answers password prompts from a list; no answer left means giving up.
class ScriptedUi : public SessionUi {
public:
    std::deque<std::string> answers;
    int prompts = 0;
    int events = 0;
    std::vector<std::string> captions;
    bool ended = false;

    std::optional<PasswordEntry> AskPasswordOnce(bool) override {
        ++prompts;
        if (answers.empty()) return std::nullopt;
        PasswordEntry e{answers.front(), answers.front()};
        answers.pop_front();
        return e;
    }
    void ShowMessage(std::string_view, std::string_view) override {}
    void ShowError(std::string_view) override {}
    void ProgressBegin(std::string_view caption) override { captions.emplace_back(caption); }
    void ProgressEnd() override { ended = true; }
    void ProcessEvents() override { ++events; }
};

class SearchRecordsTest : public ::testing::Test {
protected:
    SearchRecordsTest() : session(ui) {
        const std::string key = MakeCipherKey("pw");
        Add(" From: alice (grp/alpha-pc)\r\n  at Mon Jan  5 09:03:01 2004", "hello\r\nworld\r\n");
        Add(" To: bob (beta-pc)\r\n  at Tue Jan  6 10:00:00 2004", "meeting at 3\r\n");
        session.records.back().SetDeleted(true);  // deleted but not yet saved
        Add(" From: carol (gamma-pc)\r\n  at Wed Jan  7 11:00:00 2004",
            EncryptText("secret plan\r\n", key) + "\r\n", std::string(36, '-') + "2");
        Add(" From: dave (delta-pc)\r\n  at Thu Jan  8 12:00:00 2004",
            "\x83\x5C" "A\r\n");  // ソ then A
    }
    void Add(const std::string& header, const std::string& body, const std::string& sep = kSep) {
        session.records.emplace_back(Block(header, body, sep));
    }
    std::vector<std::size_t> Search(const std::string& text, bool regex) {
        return SearchRecords(session, ui, TextMatcher(text, regex));
    }

    ScriptedUi ui;
    LogSession session;
};

using Hits = std::vector<std::size_t>;

TEST_F(SearchRecordsTest, SearchesHeaderAndBodyOfEveryRecord) {
    ui.answers = {"pw"};
    struct Case {
        const char* text;
        bool regex;
        Hits hits;
    };
    const Case cases[] = {
        {"alpha-pc", false, {0}},         // only in the header
        {"meeting", false, {1}},          // a deleted record is searched
        {"secret", false, {2}},           // the decrypted body
        {"2004hello", false, {0}},        // header and body meet without a separator
        {"\\A", false, {}},               // the trail byte of ソ with the next character
        {"[^m]a-pc", true, {0, 1, 3}},     // not gamma-pc
        {"^ To:", true, {1}},
        {"2004$", true, {}},              // the body follows the last header line directly
        {"world\\r$", true, {0}},
        {"*", true, {}},                  // does not compile: matches nothing
        {"*", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Search(c.text, c.regex), c.hits);
    }
    EXPECT_EQ(ui.prompts, 1);  // the password holds for the rest of the run
    EXPECT_EQ(session.CurrentPassword, "pw");
    EXPECT_EQ(ui.captions.front(), "Searching...");
    EXPECT_TRUE(ui.ended);
}

TEST_F(SearchRecordsTest, BodyThatDoesNotDecryptIsSearchedAsTheFailureText) {
    ui.answers = {"wrong"};
    EXPECT_EQ(Search("secret", false), Hits{});
    EXPECT_EQ(Search(std::string(kPasswordNg), false), Hits{2});
    EXPECT_EQ(ui.prompts, 1);
}

TEST_F(SearchRecordsTest, GivingUpThePasswordAsksOncePerSearch) {
    Add(" From: erin (pc)\r\n  at Fri Jan  9 12:00:00 2004",
        EncryptText("more\r\n", MakeCipherKey("pw")) + "\r\n", std::string(36, '-') + "2");
    EXPECT_EQ(Search("alpha", false), Hits{0});
    EXPECT_EQ(ui.prompts, 1);
    EXPECT_TRUE(session.CurrentPassword.empty());
}

TEST_F(SearchRecordsTest, LetsEventsRunAboutAHundredTimes) {
    session.records.clear();
    for (int i = 0; i < 1000; ++i) Add(" From: x (pc)\r\n  at Mon Jan  5 09:03:01 2004", "b\r\n");
    EXPECT_EQ(Search("b", false).size(), 1000u);
    EXPECT_GE(ui.events, 90);
    EXPECT_LE(ui.events, 100);
}

}  // namespace
}  // namespace qx
