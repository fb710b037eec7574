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

std::uint64_t HeaderLineMemo::Hash(std::string_view line) { return TextHash(line); }

const HeaderLineMemo::Fields* HeaderLineMemo::Find(std::string_view line, std::uint64_t hash) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = hash % kSlots;; i = (i + 1) % kSlots) {
        const Slot& s = slots_[i];
        if (!s.used) return nullptr;
        if (s.hash == hash && s.line == line) return &s.fields;
    }
}

void HeaderLineMemo::Add(std::string_view line, std::uint64_t hash, const std::string_view* fields) {
    if (count_ >= kSlots / 4 * 3) return;
    if (slots_.empty()) slots_.resize(kSlots);
    std::size_t i = hash % kSlots;
    while (slots_[i].used) {
        if (slots_[i].hash == hash && slots_[i].line == line) return;
        i = (i + 1) % kSlots;
    }
    Slot& s = slots_[i];
    s.line.assign(line);
    s.hash = hash;
    s.used = true;
    for (int k = 0; k < 6; ++k) s.fields.text[k].assign(fields[k]);
    ++count_;
}

}  // namespace qx
