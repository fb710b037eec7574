// The two picture lists: ImageList1 for commands (tool bar and menus) and
// ImageList2 for the tree and the message list. Drawn as SVG, so they stay sharp
// at any scale.
#pragma once

#include <QIcon>

namespace qx::ui {

inline constexpr int kImageList1Count = 23;
inline constexpr int kImageList2Count = 12;

// A null icon for an index outside the list.
QIcon ImageList1(int index);
QIcon ImageList2(int index);

}  // namespace qx::ui
