// The terminal a command-line program talks to.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx::sys {

// Shows prompt on the terminal and reads a line with echo off; nullopt when
// there is no terminal or its input ended.
std::optional<std::string> ReadHiddenLine(const std::string& prompt);

// Standard output and error pass bytes through unchanged (no CR added before
// LF where the system would add one).
void UseBinaryOutput();

// The words given to the program after its name, in UTF-8.
std::vector<std::string> CommandWords(int argc, char** argv);

}  // namespace qx::sys
