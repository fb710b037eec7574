// Behaviour that follows the interface language: date order, dialog filters and
// the sort marker of a column title.
#pragma once

#include <string>
#include <string_view>

namespace qx {

inline constexpr std::string_view kJapaneseCode = "jpn";

// A date column text "YYYY/MM/D hh:mm:ss" or "MM/D/YYYY hh:mm:ss" in the order
// of languageCode: year first for "jpn", month first for any other code. Only the
// year moves; a text in neither form, or already in the right order, comes back
// unchanged.
std::string RewriteDateColumn(std::string_view text, std::string_view languageCode);

// The filter of the open and save dialogs ("description|patterns|..."), in cp932.
// dottedExt is the log's extension with its dot, "" for none; the language step
// passes "." + the default extension.
std::string LogFileFilter(std::string_view languageCode, std::string_view dottedExt);

// A menu caption without its access key: a trailing "(&X)" goes, and so does
// every single "&" ("&&" stays a literal "&"). "送信(&S)" gives "送信",
// "Se&nd" gives "Send". The pop-up of the view shows its send menu this way.
std::string CaptionWithoutAccessKey(std::string_view caption);

// The title of the column the list is sorted by: " >>" for ascending (upDown at
// least 1), " <<" otherwise.
std::string SortMarkedTitle(std::string_view title, int upDown);

}  // namespace qx
