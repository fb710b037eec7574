#include <gtest/gtest.h>

#include "../logstore/TestSupport.h"
#include "messenger/LogList.h"
#include "messenger/Messenger.h"

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
