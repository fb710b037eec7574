// Where the marks the header parser looks for stand in one header line.
#pragma once

#include <cstddef>
#include <string_view>

namespace qx {

// 1-based positions, 0 when absent, never on the second byte of a double-byte
// character (the same answers as Pos and LastPos would give).
struct LineMarks {
    std::size_t colon = 0, open = 0, close = 0, lastParen = 0, lastCloseParen = 0;
    bool to = false, from = false, attach = false, at = false;

    bool operator==(const LineMarks&) const = default;
};

// Finds every mark in one walk over the line, 64 bytes at a time with the
// kernel in use (a byte at a time with the plain one).
LineMarks ScanHeaderLine(std::string_view line);

// The same, a byte at a time: the plain statement of the rules, which the fast
// walk must agree with.
LineMarks ScanHeaderLineBytewise(std::string_view line);

}  // namespace qx
