#include "browse/ListRows.h"

#include <algorithm>

#include "settings/LanguageRules.h"
#include "text/BoundedText.h"
#include "text/Cp932.h"

namespace qx {

std::string MessageColumnText(LogData& record, int column, const ListOptions& options) {
    switch (column) {
        case kColUser: {
            const std::string_view users = record.UserName();
            return std::string(users.substr(0, users.empty() ? 0 : users.size() - 1));
        }
        case kColDirection:
            return std::string(record.Direction());
        case kColDate:
            return record.DateString(options.monthFirst) + " " + std::string(record.Time());
        case kColMessage: {
            std::string preview = record.PreviewLine(options.password, options.previewSkipPrefix);
            preview.resize(BoundedPrefixLength(preview, kPreviewLimit));
            return preview;
        }
        default:
            return std::string();
    }
}

ListRow MessageRow(LogData& record, std::size_t index, const ListOptions& options) {
    ListRow row;
    row.record = index;
    if (!record.AttachLine().empty()) row.image[kColAttach] = kImageClip;
    for (int column = kColUser; column < kListColumnCount; ++column)
        row.text[static_cast<std::size_t>(column)] = MessageColumnText(record, column, options);
    if (record.UserName() == "BROADCAST,") {
        row.image[kColUser] = kImageBroadcast;
    } else {
        row.image[kColUser] = record.AddresseeCount() == 1 ? kImageOneUser : kImageUsers;
    }
    if (record.BodyMode() == kModeEncrypted) {
        row.image[kColMessage] = kImageLock;
    } else if (record.BodyMode() == kModeEncoded) {
        row.image[kColMessage] = kImageEnvelope;
    }
    return row;
}

ListRow FolderRow(const TreeNode& child) {
    ListRow row;
    row.text[kColUser] = child.Text();
    row.image[kColUser] = kImageFolder;
    return row;
}

std::vector<std::size_t> NodeRecords(const LogTree& tree, const TreeNode* node,
                                     const std::vector<LogData>& records) {
    std::vector<std::size_t> out;
    if (!node) return out;
    if (tree.IsDeletedNode(node)) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i].Deleted()) out.push_back(i);
        }
        return out;
    }
    for (std::size_t i : tree.MessagesOf(node)) {
        if (i < records.size() && !records[i].Deleted()) out.push_back(i);
    }
    return out;
}

std::vector<ListRow> FolderRows(const TreeNode& node) {
    std::vector<ListRow> rows;
    rows.reserve(node.ChildCount());
    for (std::size_t i = 0; i < node.ChildCount(); ++i) rows.push_back(FolderRow(*node.Child(i)));
    return rows;
}

std::vector<std::string> FolderContents(const LogTree& tree, const TreeNode* node,
                                        std::string_view folderText) {
    std::vector<std::string> lines;
    if (!node) return lines;
    const TreeNode* child = tree.ChildWithText(node, folderText);
    if (!child) return lines;
    for (std::size_t i = 0; i < child->ChildCount(); ++i) lines.push_back(child->Child(i)->Text());
    return lines;
}

int CompareListText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    bool trail = false;  // a and b agree so far, so they agree on where characters start
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (!trail) {
            if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 'a' + 'A');
            if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 'a' + 'A');
        }
        if (ca != cb) return ca < cb ? -1 : 1;
        trail = !trail && IsLeadByte(ca);
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string DateSortKey(std::string_view text) {
    const std::size_t blank = Pos(" ", text);
    const std::string_view date = blank == 0 ? text : text.substr(0, blank - 1);
    const std::string_view rest = text.substr(date.size());
    const std::size_t s1 = Pos("/", date);
    const std::size_t s2 = s1 == 0 ? 0 : Pos("/", date, s1 + 1);
    if (s2 == 0 || Pos("/", date, s2 + 1) != 0) return std::string(text);
    const std::string_view p0 = date.substr(0, s1 - 1);
    const std::string_view p1 = date.substr(s1, s2 - s1 - 1);
    const std::string_view p2 = date.substr(s2);
    const bool monthFirst = s1 == 3;
    const std::string_view year = monthFirst ? p2 : p0;
    const std::string_view month = monthFirst ? p0 : p1;
    const std::string_view day = monthFirst ? p1 : p2;
    std::string key(year);
    key += '/';
    key += month;
    key += '/';
    if (day.size() == 1) key += '0';
    key += day;
    key += rest;
    return key;
}

int CompareRows(const ListRow& a, const ListRow& b, int column, int upDown) {
    if (column < 0 || column >= kListColumnCount) return 0;
    int r;
    if (column == kColDate) {
        r = CompareListText(DateSortKey(a.text[kColDate]), DateSortKey(b.text[kColDate]));
    } else {
        r = CompareListText(a.text[static_cast<std::size_t>(column)],
                            b.text[static_cast<std::size_t>(column)]);
    }
    return r * upDown;
}

void SortRows(std::vector<ListRow>& rows, int column, int upDown) {
    if (column == kColDate) {
        // Make each key once instead of twice per comparison.
        std::vector<std::pair<std::string, std::size_t>> keys;
        keys.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            keys.emplace_back(DateSortKey(rows[i].text[kColDate]), i);
        std::stable_sort(keys.begin(), keys.end(), [upDown](const auto& x, const auto& y) {
            return CompareListText(x.first, y.first) * upDown < 0;
        });
        std::vector<ListRow> sorted;
        sorted.reserve(rows.size());
        for (const auto& k : keys) sorted.push_back(std::move(rows[k.second]));
        rows = std::move(sorted);
        return;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [column, upDown](const ListRow& x, const ListRow& y) {
                         return CompareRows(x, y, column, upDown) < 0;
                     });
}

int RowToKeep(int keep, std::size_t rowCount) {
    if (rowCount == 0) return -1;
    if (keep < 0) return 0;
    return std::min(keep, static_cast<int>(rowCount) - 1);
}

std::string ToolTipText(LogData& record, std::string_view password) {
    std::string body = record.PlainBody(password);
    while (!body.empty() && static_cast<unsigned char>(body.back()) <= 0x20) body.pop_back();
    if (body.empty()) return " ";
    if (body.size() > kToolTipLimit) {
        body.resize(BoundedPrefixLength(body, kToolTipLimit));
        body += "...";
    }
    return body;
}

std::string StripSortMarks(std::string_view title) {
    std::string out = ReplaceAll(title, " >>", "");
    return ReplaceAll(out, " <<", "");
}

void ListSort::ColumnClick(int column) {
    if (column == SortColumn) {
        UpDown = -UpDown;
    } else {
        SortColumn = column;
        UpDown = 1;
    }
}

std::vector<std::string> ListSort::MarkedTitles(const std::vector<std::string>& titles) const {
    std::vector<std::string> out;
    out.reserve(titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        std::string bare = StripSortMarks(titles[i]);
        out.push_back(static_cast<int>(i) == SortColumn ? SortMarkedTitle(bare, UpDown) : bare);
    }
    return out;
}

}  // namespace qx
