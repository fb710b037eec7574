// Records as JSON Lines, CSV and plain text for the command-line tool.
#pragma once

#include <string>
#include <string_view>

#include "logstore/LogData.h"

namespace qx::cli {

// A JSON string literal of cp932 text (converted to UTF-8, escaped).
std::string JsonString(std::string_view cp932);

// One JSON object (no line end) with the record's fields; plainBody is the body
// decoded for display.
std::string RecordJson(const LogData& r, std::size_t index, std::string_view plainBody);

// The CSV header row and one record row, each ended by CR LF.
std::string CsvHeader();
std::string RecordCsv(const LogData& r, std::size_t index, std::string_view plainBody);

// A readable rendering: the header lines, a rule, the body, an empty line.
std::string RecordText(const LogData& r, std::string_view plainBody);

}  // namespace qx::cli
