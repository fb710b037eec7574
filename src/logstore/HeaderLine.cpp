#include "logstore/HeaderLine.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "kernels/Kernels.h"
#include "text/Cp932.h"

namespace qx {

namespace {

constexpr std::string_view kAttachMark = "(\x93Y\x95t)";  // "(添付)"

// What a byte is to the line scan: nothing to note (most bytes), the lead byte
// of a double-byte character, or a mark.
enum : unsigned char { kPlainByte, kLead, kColon, kOpen, kClose, kParen, kCloseParen, kT, kF, kA };

constexpr std::array<unsigned char, 256> MakeByteKinds() {
    std::array<unsigned char, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        if (IsLeadByte(static_cast<unsigned char>(c))) kinds[static_cast<std::size_t>(c)] = kLead;
    }
    kinds[':'] = kColon;
    kinds['['] = kOpen;
    kinds[']'] = kClose;
    kinds['('] = kParen;
    kinds[')'] = kCloseParen;
    kinds['T'] = kT;
    kinds['F'] = kF;
    kinds['a'] = kA;
    return kinds;
}
constexpr std::array<unsigned char, 256> kByteKinds = MakeByteKinds();

// Notes the mark of kind `kind` at index i (0-based) of the line.
inline void NoteMark(LineMarks& m, unsigned char kind, std::string_view line, std::size_t i) {
    auto startsWith = [&](std::string_view needle) {
        return line.size() - i >= needle.size() && std::memcmp(line.data() + i, needle.data(), needle.size()) == 0;
    };
    switch (kind) {
    case kColon:
        if (!m.colon) m.colon = i + 1;
        break;
    case kParen:
        m.lastParen = i + 1;
        if (!m.attach && startsWith(kAttachMark)) m.attach = true;
        break;
    case kCloseParen:
        m.lastCloseParen = i + 1;
        break;
    case kOpen:
        if (!m.open) m.open = i + 1;
        break;
    case kClose:
        if (!m.close) m.close = i + 1;
        break;
    case kT:
        if (!m.to && startsWith("To:")) m.to = true;
        break;
    case kF:
        if (!m.from && startsWith("From:")) m.from = true;
        break;
    case kA:
        if (!m.at && startsWith("at ")) m.at = true;
        break;
    default:
        break;
    }
}

}  // namespace

LineMarks ScanHeaderLineBytewise(std::string_view line) {
    LineMarks m;
    const std::size_t n = line.size();
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char kind = kByteKinds[p[i]];
        if (kind == kPlainByte) continue;
        if (kind == kLead) {
            if (i + 1 < n) ++i;  // the second byte of the character is never a mark
            continue;
        }
        NoteMark(m, kind, line, i);
    }
    return m;
}

namespace {

// Takes in the window starting at `base`. The lead bytes are taken in order
// first, each one marking the byte behind it as a second byte; what is left of
// the marks is then read off the bits. skipFirst carries a lead byte at the end
// of one window to the next.
[[gnu::always_inline]] inline void TakeWindow(LineMarks& m, std::string_view line, std::size_t base, const kernels::HeaderBits& w,
                                              bool& skipFirst) {
    const std::size_t n = line.size();
    auto first = [](std::uint64_t bits) { return static_cast<std::size_t>(__builtin_ctzll(bits)); };
    auto last = [](std::uint64_t bits) { return static_cast<std::size_t>(63 - __builtin_clzll(bits)); };
    // Second bytes: the byte behind each lead byte that is not itself one. In a
    // run of bytes from the lead byte ranges, starting at s, the bytes at odd
    // distances from s are second bytes, and so is the byte behind the run when
    // the run is odd in length. Adding a run's lowest bit to the run carries
    // through it to the byte behind: (L + start) ^ L is the run and that byte,
    // done for the runs starting on even and on odd places apart.
    constexpr std::uint64_t kEven = 0x5555555555555555ull;
    std::uint64_t seconds = skipFirst ? 1u : 0u;
    const std::uint64_t leadRange = w.leads & ~seconds;
    const std::uint64_t starts = leadRange & ~(leadRange << 1);
    const std::uint64_t evenRuns = (leadRange + (starts & kEven)) ^ leadRange;
    const std::uint64_t oddRuns = (leadRange + (starts & ~kEven)) ^ leadRange;
    seconds |= (evenRuns & ~kEven) | (oddRuns & kEven);
    // A lead byte last in the window makes the next window's first byte a second byte.
    skipFirst = (leadRange >> 63 & 1u) != 0 && (seconds >> 63 & 1u) == 0;
    const std::uint64_t keep = ~seconds;
    const std::uint64_t colon = w.colon & keep, open = w.open & keep, close = w.close & keep;
    std::uint64_t paren = w.paren & keep, t = w.t & keep, f = w.f & keep, a = w.a & keep;
    const std::uint64_t closeParen = w.closeParen & keep;
    auto startsWith = [&](std::size_t i, std::string_view needle) {
        return n - i >= needle.size() && std::memcmp(line.data() + i, needle.data(), needle.size()) == 0;
    };
    // The first of each kind that looks for the first, then the words.
    if (!m.colon && colon) m.colon = base + first(colon) + 1;
    if (!m.open && open) m.open = base + first(open) + 1;
    if (!m.close && close) m.close = base + first(close) + 1;
    if (paren) m.lastParen = base + last(paren) + 1;
    if (closeParen) m.lastCloseParen = base + last(closeParen) + 1;
    for (; paren && !m.attach; paren &= paren - 1) m.attach = startsWith(base + first(paren), kAttachMark);
    for (; t && !m.to; t &= t - 1) m.to = startsWith(base + first(t), "To:");
    for (; f && !m.from; f &= f - 1) m.from = startsWith(base + first(f), "From:");
    for (; a && !m.at; a &= a - 1) m.at = startsWith(base + first(a), "at ");
}

}  // namespace

LineMarks ScanHeaderLine(std::string_view line) {
    const kernels::Kernel& kernel = kernels::Active();
    if (kernel.version == kernels::Version::Plain) return ScanHeaderLineBytewise(line);
    LineMarks m;
    const std::size_t n = line.size();
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    bool skipFirst = false;
    for (std::size_t base = 0; base < n; base += 64) {
        TakeWindow(m, line, base, kernel.headerBits(p + base, n - base < 64 ? n - base : 64), skipFirst);
    }
    return m;
}

}  // namespace qx
