#include <gtest/gtest.h>

#include "../logstore/TestSupport.h"
#include "messenger/LogList.h"
#include "messenger/Messenger.h"
#include "ScriptedBridge.h"

namespace qx {
namespace {

TEST(SendMenus, CaptionsAndClassesBothWays) {
    EXPECT_EQ(SendMenuCaptions({"Shell_TrayWnd", "ipmsg_class", "ipmsg_class_2nd", "ipmsg_class_", "IPMSG_CLASS"}),
              (std::vector<std::string>{"IPMsg", "IPMsg2nd"}));
    struct Case {
        std::string caption, windowClass;
    };
    const Case cases[] = {
        {"IPMsg", "ipmsg_class"},
        {"IPMsg2nd", "ipmsg_class_2nd"},
        {"&IPMsg", "ipmsg_class"},
        {"IPMsg(&A)", "ipmsg_class"},
        {"IPMsg2nd(&B)", "ipmsg_class_2nd"},
        {"IP&Msg&2", "ipmsg_class_2"},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowClassForCaption(c.caption), c.windowClass) << c.caption;
}

TEST(SendMenus, TheSystemBridgeOfThisPlatformFindsNoInstance) {
    auto bridge = SystemMessengerBridge();
    EXPECT_TRUE(SendMenuCaptions(bridge->TopLevelWindowClasses()).empty());
    MessengerBridge::Dialog dialog = 0;
    EXPECT_EQ(bridge->OpenSendDialog("ipmsg_class", dialog), MessengerBridge::OpenResult::NoInstance);
}

TEST(SendToMessengerTest, StepsAndWhatTheyReport) {
    struct Case {
        const char* name;
        std::string caption;
        bool hasSelection;
        bool hasRecipient;
        std::string recipient;
        bool firstChildIsEdit;
        SendOutcome outcome;
        std::vector<std::string> opened;
        std::vector<int> selected;
        std::optional<std::string> edit;
    };
    const std::string text = ">hello\r\n";
    const Case cases[] = {
        {"all steps", "IPMsg", true, true, "bob", true, SendOutcome::TextSet, {"ipmsg_class"}, {1}, text},
        {"the suffixed instance", "IPMsg2nd(&B)", true, true, "carol", true, SendOutcome::TextSet,
         {"ipmsg_class_2nd"}, {2}, text},
        {"instance gone", "IPMsg3rd", true, true, "bob", true, SendOutcome::OpenError, {}, {}, std::nullopt},
        {"dialog never appears", "IPMsgSlow", true, true, "bob", true, SendOutcome::NoDialog, {"ipmsg_class_Slow"},
         {}, std::nullopt},
        {"nothing selected in the view", "IPMsg", false, true, "bob", true, SendOutcome::DialogOpened,
         {"ipmsg_class"}, {}, std::nullopt},
        {"no list row selected", "IPMsg", true, false, "bob", true, SendOutcome::TextSet, {"ipmsg_class"}, {}, text},
        {"two addressees select no one", "IPMsg", true, true, "bob,carol", true, SendOutcome::TextSet,
         {"ipmsg_class"}, {}, text},
        {"first child not an Edit", "IPMsg", true, true, "bob", false, SendOutcome::EditError, {"ipmsg_class"}, {1},
         std::nullopt},
    };
    for (const Case& c : cases) {
        test::ScriptedBridge bridge;
        bridge.windows = {"Shell_TrayWnd", "ipmsg_class", "ipmsg_class_2nd", "ipmsg_class_Slow"};
        bridge.withoutDialog = {"ipmsg_class_Slow"};
        bridge.recipients = {"alice", "bob", "carol"};
        bridge.firstChildIsEdit = c.firstChildIsEdit;
        SendRequest request{c.caption, c.hasSelection, c.hasSelection ? text : "", c.hasRecipient, c.recipient};
        const SendReport report = SendToMessenger(bridge, request);
        EXPECT_EQ(report.outcome, c.outcome) << c.name;
        EXPECT_EQ(report.recipientSelected, !c.selected.empty()) << c.name;
        EXPECT_EQ(bridge.opened, c.opened) << c.name;
        EXPECT_EQ(bridge.selectedItems, c.selected) << c.name;
        EXPECT_EQ(bridge.editText, c.edit) << c.name;
    }
}

TEST(LogListTest, SameExtensionSortedWithTheOpenLogSelected) {
    const std::vector<std::string> entries = {"b.log", "A.LOG", "notes.txt", "c.log.bak", "ipmsg.log", "Z.log"};
    LogListing l = FillLogList(entries, "/home/u/logs/IPMSG.log");
    EXPECT_EQ(l.items, (std::vector<std::string>{"A.LOG", "b.log", "ipmsg.log", "Z.log"}));
    EXPECT_EQ(l.selected, 2);
    EXPECT_EQ(FillLogList(entries, "/x/other.log").selected, -1);
    EXPECT_TRUE(FillLogList(entries, "").items.empty());
    EXPECT_EQ(FillLogList(entries, "/x/noext").items.size(), entries.size()) << "no extension lists everything";
}

TEST(LogListTest, ReadsTheFolder) {
    test::TempDir dir;
    test::WriteFile(dir.File("one.log"), "");
    test::WriteFile(dir.File("two.log"), "");
    test::WriteFile(dir.File("x.txt"), "");
    LogListing l = FillLogList(dir.File("two.log"));
    EXPECT_EQ(l.items, (std::vector<std::string>{"one.log", "two.log"}));
    EXPECT_EQ(l.selected, 1);
}

}  // namespace
}  // namespace qx
