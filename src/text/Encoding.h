// Conversions between cp932 and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace qx {

bool IsAscii(std::string_view s);
bool IsValidUtf8(std::string_view s);

// Strict conversions: false (out unspecified) when any character does not convert.
bool Utf8ToCp932(std::string_view utf8, std::string& out);
bool Cp932ToUtf8Strict(std::string_view cp932, std::string& out);

// Lossy conversion for display and export: a byte that does not convert becomes
// U+FFFD and conversion goes on. Never fails.
std::string Cp932ToUtf8(std::string_view cp932);

// The reader's per-line UTF-8 step: a line that is valid UTF-8, converts to cp932,
// and converts back to exactly the same UTF-8 is returned in cp932; any other line
// is returned as it was read.
std::string Utf8LineToCp932(std::string_view line);

// Same, in place; returns true when the line was converted.
bool ConvertUtf8LineInPlace(std::string& line);

}  // namespace qx
