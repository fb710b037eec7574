// The Windows bridge against the stand-in messenger, a second process started
// for each test (run under wine by scripts/windows.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "messenger/Messenger.h"

namespace qx {
namespace {

std::string StandinPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of("\\/") + 1) + "standin-ipmsg.exe";
}

std::string TempFile(const std::string& name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// One stand-in process, running until Close().
class Standin {
public:
    Standin(const std::string& suffix, const std::string& extra) {
        windowClass_ = suffix.empty() ? "ipmsg_class" : "ipmsg_class_" + suffix;
        report_ = TempFile("qx-standin-" + windowClass_ + ".txt");
        DeleteFileA(report_.c_str());
        std::string line = "\"";
        line += StandinPath();
        line += "\" --report \"";
        line += report_;
        line += "\"";
        if (!suffix.empty()) line += " --suffix " + suffix;
        line += " " + extra;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
        for (int i = 0; i < 200 && FindWindowA(windowClass_.c_str(), nullptr) == nullptr; ++i) Sleep(50);
        started_ = FindWindowA(windowClass_.c_str(), nullptr) != nullptr;
    }
    ~Standin() {
        Close();
        if (pi_.hProcess != nullptr) {
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
    }
    bool started() const { return started_; }

    // Closes it and returns its report, one "key=value" a line.
    std::map<std::string, std::string> Close() {
        if (closed_ || pi_.hProcess == nullptr) return report;
        closed_ = true;
        if (HWND main = FindWindowA(windowClass_.c_str(), nullptr)) PostMessageA(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
        std::ifstream in(report_, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) report[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return report;
    }
    std::map<std::string, std::string> report;

private:
    std::string windowClass_, report_;
    PROCESS_INFORMATION pi_{};
    bool started_ = false, closed_ = false;
};

// The window classes in the window system's own z-order walk.
std::vector<std::string> ClassesByZOrder() {
    std::vector<std::string> out;
    for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        char name[256] = {};
        GetClassNameA(h, name, 256);
        out.emplace_back(name);
    }
    return out;
}

SendRequest Request(const std::string& caption, const std::string& text, const std::string& recipient) {
    SendRequest r;
    r.caption = caption;
    r.hasSelection = !text.empty();
    r.text = text;
    r.hasRecipient = !recipient.empty();
    r.recipient = recipient;
    return r;
}

TEST(Win32Bridge, ListsTwoInstancesInEnumerationOrder) {
    Standin first("", "--names alice");
    Standin second("2nd", "--names alice");
    ASSERT_TRUE(first.started() && second.started());
    auto bridge = SystemMessengerBridge();
    const std::vector<std::string> captions = SendMenuCaptions(bridge->TopLevelWindowClasses());
    EXPECT_EQ(captions, SendMenuCaptions(ClassesByZOrder()));
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_NE(captions[0], captions[1]);
    for (const auto& c : {"IPMsg", "IPMsg2nd"}) EXPECT_NE(std::find(captions.begin(), captions.end(), c), captions.end());
}

TEST(Win32Bridge, SelectsTheRecipientAndPutsTheTextWithTheCaretAtItsEnd) {
    Standin messenger("2nd", "--names alice,bob,carol");
    ASSERT_TRUE(messenger.started());
    auto bridge = SystemMessengerBridge();
    const std::string text = ">hello\r\n>  bob\r\n";
    const SendReport r = SendToMessenger(*bridge, Request("IPMsg2nd(&A)", text, "bob"));
    EXPECT_EQ(r.outcome, SendOutcome::TextSet);
    EXPECT_TRUE(r.recipientSelected);
    const auto report = messenger.Close();
    EXPECT_EQ(report.at("dialog"), "open");
    EXPECT_EQ(report.at("field"), ">hello\\r\\n>  bob\\r\\n");
    EXPECT_EQ(report.at("caret"), std::to_string(text.size()) + "," + std::to_string(text.size()));
    EXPECT_EQ(report.at("selected"), "bob");
}

TEST(Win32Bridge, AMessageToTwoUsersSelectsNoOne) {
    Standin messenger("", "--names bob,carol");
    ASSERT_TRUE(messenger.started());
    auto bridge = SystemMessengerBridge();
    const SendReport r = SendToMessenger(*bridge, Request("IPMsg", ">x\r\n", "bob,carol"));
    EXPECT_EQ(r.outcome, SendOutcome::TextSet);
    EXPECT_FALSE(r.recipientSelected);
    const auto report = messenger.Close();
    EXPECT_EQ(report.at("selected"), "");
    EXPECT_EQ(report.at("field"), ">x\\r\\n");
}

TEST(Win32Bridge, NothingSelectedOnlyOpensTheDialog) {
    Standin messenger("", "--names bob");
    ASSERT_TRUE(messenger.started());
    auto bridge = SystemMessengerBridge();
    EXPECT_EQ(SendToMessenger(*bridge, Request("IPMsg", "", "bob")).outcome, SendOutcome::DialogOpened);
    const auto report = messenger.Close();
    EXPECT_EQ(report.at("dialog"), "open");
    EXPECT_EQ(report.at("field"), "");
    EXPECT_EQ(report.at("selected"), "");
}

TEST(Win32Bridge, NoInstanceIsTheOpenError) {
    auto bridge = SystemMessengerBridge();
    EXPECT_EQ(SendToMessenger(*bridge, Request("IPMsgNobody", ">x\r\n", "bob")).outcome, SendOutcome::OpenError);
}

TEST(Win32Bridge, ADialogWhoseFirstChildIsNotAnEditIsTheEditError) {
    Standin messenger("", "--names bob --first-child Static");
    ASSERT_TRUE(messenger.started());
    auto bridge = SystemMessengerBridge();
    const SendReport r = SendToMessenger(*bridge, Request("IPMsg", ">x\r\n", "bob"));
    EXPECT_EQ(r.outcome, SendOutcome::EditError);
    EXPECT_TRUE(r.recipientSelected) << "the recipient is chosen before the text";
    EXPECT_EQ(messenger.Close().at("selected"), "bob");
}

}  // namespace
}  // namespace qx
