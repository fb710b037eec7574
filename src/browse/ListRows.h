// Rows of the message list: what each column shows, and how rows sort.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "browse/BrowseTypes.h"
#include "browse/LogTree.h"
#include "logstore/LogData.h"

namespace qx {

enum ListColumn : int {
    kColAttach = 0,
    kColUser = 1,
    kColDirection = 2,
    kColDate = 3,
    kColMessage = 4
};
inline constexpr int kListColumnCount = 5;

struct ListRow {
    static constexpr std::size_t kNoRecord = std::numeric_limits<std::size_t>::max();
    // Message rows: the record's index in the record vector; folder rows: kNoRecord.
    std::size_t record = kNoRecord;
    std::array<std::string, kListColumnCount> text;
    std::array<int, kListColumnCount> image{kImageNone, kImageNone, kImageNone, kImageNone,
                                            kImageNone};

    // A message row is told by its user column image, as the list itself does.
    bool IsMessageRow() const {
        return image[kColUser] == kImageOneUser || image[kColUser] == kImageUsers ||
               image[kColUser] == kImageBroadcast;
    }
};

struct ListOptions {
    std::string password;           // the log's current password, empty when none
    std::string previewSkipPrefix;  // "MultiStr"
    bool monthFirst = false;        // dates month first (every language but "jpn")
};

// A protected body whose row is about to be made needs the password asked first.
inline bool NeedsPasswordFirst(const LogData& record, std::string_view password) {
    return password.empty() && record.BodyMode() == kModeEncrypted;
}

// What one column of a message's row shows (the attachment column shows no text).
// The summary column decodes the body, hence not const.
std::string MessageColumnText(LogData& record, int column, const ListOptions& options);
// The row of one message. Decodes the body for the summary (hence not const).
ListRow MessageRow(LogData& record, std::size_t index, const ListOptions& options);
// The row of a child node of the selected one.
ListRow FolderRow(const TreeNode& child);

// The records a node lists, in order: for the deleted-messages node every deleted
// record of the vector, for a leaf its index entries that are not deleted, for
// any other node none (it lists folder rows).
std::vector<std::size_t> NodeRecords(const LogTree& tree, const TreeNode* node,
                                     const std::vector<LogData>& records);
// The folder rows of a node with children, in the children's order.
std::vector<ListRow> FolderRows(const TreeNode& node);
// The view's lines for a selected folder row: the labels of the children of the
// child whose text is `folderText`.
std::vector<std::string> FolderContents(const LogTree& tree, const TreeNode* node,
                                        std::string_view folderText);

// Byte-wise comparison with only the ASCII letters folded to one case; at the
// first difference the byte values decide, a prefix sorts first. <0, 0 or >0.
int CompareListText(std::string_view a, std::string_view b);
// The date column brought to year-first order for sorting: "03/17/2007 10:00:00"
// gives "2007/03/17 10:00:00". A one-digit day is padded ("2007/03/05"), so that
// the 5th sorts before the 17th in either order; other texts come back unchanged.
std::string DateSortKey(std::string_view text);
// The list's row comparison on `column`, times upDown (1 or -1). No second key.
int CompareRows(const ListRow& a, const ListRow& b, int column, int upDown);
// Sorts stably, so rows that compare equal keep their fill order.
void SortRows(std::vector<ListRow>& rows, int column, int upDown);

// The row to select after a refill that keeps the selected row: `keep`, or the
// last row when the list became shorter; -1 for an empty list.
int RowToKeep(int keep, std::size_t rowCount);

// A row shows at most this much of its summary line, and a tooltip at most this
// much of the body: a megabyte line must not be converted and drawn at each paint.
inline constexpr std::size_t kPreviewLimit = 512;
inline constexpr std::size_t kToolTipLimit = 2048;

// The tooltip of a message row: the body with trailing blanks and line ends
// removed, " " when nothing is left; a longer body is cut after kToolTipLimit
// bytes and ends in "...".
std::string ToolTipText(LogData& record, std::string_view password);

// Removes every " >>" and " <<" from a column title.
std::string StripSortMarks(std::string_view title);

// The sort column and direction, and the titles that show them.
class ListSort {
public:
    int SortColumn = kColDate;  // "SortColumn"
    int UpDown = 1;             // "UpDown": 1 ascending, -1 descending

    // A click on a column title: the same column flips the direction, another one
    // sorts ascending by it.
    void ColumnClick(int column);
    // The titles with every old mark removed and the sort column marked.
    std::vector<std::string> MarkedTitles(const std::vector<std::string>& titles) const;
};

}  // namespace qx
