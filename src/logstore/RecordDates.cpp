#include "logstore/LogData.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "crypto/ProtectedText.h"
#include "logstore/HeaderLine.h"
#include "logstore/RecordBytes.h"
#include "logstore/TextArena.h"
#include "text/Cp932.h"
#include "text/TextHash.h"

namespace qx {

using namespace detail;

int LogData::MonthIndex() const {
    const std::string_view m = Month();
    if (m.size() != 3) return 1;
    // The three letters as one number.
    const std::uint32_t code = static_cast<std::uint32_t>(static_cast<unsigned char>(m[0])) << 16 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(m[1])) << 8 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(m[2]));
    constexpr auto name = [](const char (&n)[4]) {
        return static_cast<std::uint32_t>(n[0]) << 16 | static_cast<std::uint32_t>(n[1]) << 8 |
               static_cast<std::uint32_t>(n[2]);
    };
    switch (code) {
    case name("Jan"): return 1;
    case name("Feb"): return 2;
    case name("Mar"): return 3;
    case name("Apr"): return 4;
    case name("May"): return 5;
    case name("Jun"): return 6;
    case name("Jul"): return 7;
    case name("Aug"): return 8;
    case name("Sep"): return 9;
    case name("Oct"): return 10;
    case name("Nov"): return 11;
    case name("Dec"): return 12;
    default: return 1;
    }
}

std::string LogData::MonthNumber() const {
    const int i = MonthIndex();
    const char buf[3] = {static_cast<char>('0' + i / 10), static_cast<char>('0' + i % 10), 0};
    return buf;
}

std::string LogData::DateString(bool monthFirst) const {
    std::string out;
    if (monthFirst) {
        out = MonthNumber();
        out += '/';
        out += Day();
        out += '/';
        out += Year();
    } else {
        out = std::string(Year());
        out += '/';
        out += MonthNumber();
        out += '/';
        out += Day();
    }
    return out;
}

}  // namespace qx
