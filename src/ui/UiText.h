// The one crossing between the log's cp932 text and Qt's QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qx::ui {

// cp932 bytes for display; a byte that does not convert shows as U+FFFD.
QString FromCp932(std::string_view cp932);

// Text typed or chosen in the interface, back to cp932. A character that cp932
// lacks becomes "?".
std::string ToCp932(const QString& text);

// A file path for the core: paths travel as the bytes the file system uses.
std::string ToPath(const QString& path);
QString FromPath(const std::string& path);

}  // namespace qx::ui
