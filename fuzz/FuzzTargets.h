// The bodies of the fuzz targets. Each takes the raw input bytes, drives one
// parser of outside input, and returns false when a property that must hold for
// every input was broken. The libFuzzer entry points trap on false; the
// regression tests replay saved inputs through the same functions.
#pragma once

#include <string_view>

namespace qx::fuzz {

// A record built from one block, its getters, date text and the save forms.
bool LogDataTarget(std::string_view input);

// A log file read in full, and read as a prefix followed by a differential read
// of the appended rest; both must give the same records. The first two input
// bytes choose where the file is cut, the rest is the file.
bool LogLoadTarget(std::string_view input);

bool Base64Target(std::string_view input);

// The first byte chooses the length of the key (1..80 bytes) that follows; the
// rest is the text to decrypt.
bool DecryptTarget(std::string_view input);

bool IniTarget(std::string_view input);

// A language file: every value read as a list, a plain text and a message.
bool LanguageTarget(std::string_view input);

#ifdef QX_FUZZ_HAVE_REGEXP
// The first byte chooses the pattern length, the second where the search starts;
// the pattern follows, then the text.
bool RegexpTarget(std::string_view input);
#endif

}  // namespace qx::fuzz
