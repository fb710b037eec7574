// The address under the pointer in a text control whose blocks are known lines.
#pragma once

#include <QPoint>
#include <string>
#include <vector>

#include "browse/Links.h"

class QTextEdit;

namespace qx::ui {

// `lines` are the control's blocks as cp932; `block` receives the line of a hit.
LinkHit LinkUnderPoint(const QTextEdit* edit, const std::vector<std::string>& lines,
                       const QPoint& viewportPos, int* block = nullptr);

}  // namespace qx::ui
