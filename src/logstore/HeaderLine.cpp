#include "logstore/HeaderLine.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <cstdint>
#include <cstring>

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

#if defined(__SSE2__)

LineMarks ScanHeaderLine(std::string_view line) {
    // Sixty-four bytes at a time: a bit for each byte of each kind. The lead bytes
    // are taken in order first, each one marking the byte behind it as a second
    // byte; what is left of the marks is then read off the bits.
    LineMarks m;
    const std::size_t n = line.size();
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    bool skipFirst = false;  // the window before ended on a lead byte
    alignas(16) unsigned char tail[16];
    auto first = [](std::uint64_t bits) { return static_cast<std::size_t>(__builtin_ctzll(bits)); };
    auto last = [](std::uint64_t bits) { return static_cast<std::size_t>(63 - __builtin_clzll(bits)); };
    for (std::size_t base = 0; base < n; base += 64) {
        // Only the sixteen-byte pieces the line reaches into are looked at; the
        // last one is padded with zero bytes, which are neither lead bytes nor marks.
        const std::size_t avail = n - base < 64 ? n - base : 64;
        std::uint64_t leads = 0, colon = 0, open = 0, close = 0, paren = 0, closeParen = 0, t = 0, f = 0, a = 0;
        for (std::size_t k = 0; k * 16 < avail; ++k) {
            const unsigned char* w = p + base + 16 * k;
            if (avail - 16 * k < 16) {
                std::memset(tail, 0, 16);
                std::memcpy(tail, w, avail - 16 * k);
                w = tail;
            }
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w));
            const int shift = static_cast<int>(16 * k);
            auto bits = [&](__m128i x) {
                return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(x))} << shift;
            };
            auto within = [&](unsigned char lo, unsigned char hi) {
                const __m128i geLo = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(lo))), v);
                const __m128i leHi = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(static_cast<char>(hi))), v);
                return _mm_and_si128(geLo, leHi);
            };
            auto is = [&](char c) { return bits(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))); };
            if (_mm_movemask_epi8(v)) leads |= bits(_mm_or_si128(within(0x81, 0x9F), within(0xE0, 0xFC)));
            colon |= is(':');
            open |= is('[');
            close |= is(']');
            paren |= is('(');
            closeParen |= is(')');
            t |= is('T');
            f |= is('F');
            a |= is('a');
        }
        // Second bytes: the byte behind each lead byte that is not itself one.
        std::uint64_t seconds = skipFirst ? 1u : 0u;
        skipFirst = false;
        leads &= ~seconds;
        while (leads) {
            const std::size_t b = first(leads);
            if (base + b + 1 >= n) break;  // a last lead byte has no second byte
            if (b == 63) {
                skipFirst = true;
                break;
            }
            seconds |= std::uint64_t{2} << b;
            leads &= ~(std::uint64_t{3} << b);
        }
        const std::uint64_t keep = ~seconds;
        colon &= keep;
        open &= keep;
        close &= keep;
        paren &= keep;
        closeParen &= keep;
        t &= keep;
        f &= keep;
        a &= keep;
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
    return m;
}

#else

LineMarks ScanHeaderLine(std::string_view line) { return ScanHeaderLineBytewise(line); }

#endif

}  // namespace qx
