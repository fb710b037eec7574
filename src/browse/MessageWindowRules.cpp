#include "browse/MessageWindowRules.h"

namespace qx {

std::string MessageWindowCaption(const std::vector<const ListRow*>& selected) {
    std::string caption;
    if (selected.size() == 1) {
        const ListRow& r = *selected.front();
        return r.text[kColDirection] + " " + r.text[kColUser] + "  " + r.text[kColDate];
    }
    for (const ListRow* r : selected)
        caption += r->text[kColDirection] + " " + r->text[kColUser] + " , ";
    return caption;
}

MessageWindowCascade::Place MessageWindowCascade::Next(int screenWidth, int screenHeight,
                                                       int windowWidth, int windowHeight) {
    const Place here{Left, Top};
    const int roomDown = screenHeight - windowHeight;
    const int roomRight = screenWidth - windowWidth;
    Top = roomDown > 0 ? (Top + kStep) % roomDown : 0;
    Left = roomRight > 0 ? (Left + kStep) % roomRight : 0;
    return here;
}

int RowLike(const std::vector<ListRow>& rows, const ListRow& hit) {
    // The hit's own record first: two messages can show the same three texts.
    if (hit.record != ListRow::kNoRecord) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].record == hit.record) return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ListRow& r = rows[i];
        if (r.text[kColDirection] == hit.text[kColDirection] &&
            r.text[kColDate] == hit.text[kColDate] && r.text[kColMessage] == hit.text[kColMessage])
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace qx
