// The rules of the separate message windows that need no widget: their caption,
// where the next one opens, and which font it takes.
#pragma once

#include <string>
#include <vector>

#include "browse/ListRows.h"

namespace qx {

// The caption from the selected rows of the message list, in list order. One row:
// "To/From user  date". Several: "To/From user , " for each, run together. None: "".
std::string MessageWindowCaption(const std::vector<const ListRow*>& selected);

// Where windows open, stepping 30 pixels down and right each time and wrapping
// before a window would leave the screen.
class MessageWindowCascade {
public:
    static constexpr int kStep = 30;
    int Top = 0;
    int Left = 0;

    // The place of the window to open now; moves on to the next place. A window as
    // large as the screen (no room to step in) keeps opening at 0.
    struct Place {
        int left, top;
    };
    Place Next(int screenWidth, int screenHeight, int windowWidth, int windowHeight);
};

// A font as the settings page's font dialog holds it.
struct FontChoice {
    std::string family;  // UTF-8
    int pixelSize = 0;   // one of the two sizes is set; the other is 0
    int pointSize = 0;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const FontChoice&) const = default;
};

// The font dialog of the settings page: it holds its designed font until it is
// first opened, and takes over the view's font every time it opens (cancelled or
// not). Message windows use what it holds.
class FontDialogFont {
public:
    static FontChoice Initial() { return {"ＭＳ Ｐゴシック", 12, 0}; }
    void Opened(const FontChoice& viewFont) { current_ = viewFont; }
    const FontChoice& Current() const { return current_; }

private:
    FontChoice current_ = Initial();
};

// Where a jump from the find list lands in the refilled message list: the row of
// the hit's own record, else the first row (from the top) showing the same
// "To/From", date and message texts. -1 when there is none.
int RowLike(const std::vector<ListRow>& rows, const ListRow& hit);

}  // namespace qx
