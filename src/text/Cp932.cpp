#include "Cp932.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "platform/Processor.h"

namespace qx {

std::size_t Pos(std::string_view needle, std::string_view text, std::size_t from) {
    if (needle.empty() || from == 0 || from > text.size()) return 0;
    // `boundary` is always the index of a character start at or before the
    // candidate; walking it forward tells whether the candidate is a trail byte.
    std::size_t boundary = 0;
    std::size_t start = from - 1;
    while (true) {
        std::size_t cand = text.find(needle, start);
        if (cand == std::string_view::npos) return 0;
        while (boundary < cand) boundary += CharLength(text, boundary);
        if (boundary == cand) return cand + 1;
        start = cand + 1;  // the candidate began on a trail byte
    }
}

std::size_t LastPos(std::string_view needle, std::string_view text) {
    if (needle.empty() || needle.size() > text.size()) return 0;
    // One walk over the character starts, checking each candidate from find().
    std::size_t last = 0;
    std::size_t boundary = 0;
    std::size_t cand = text.find(needle);
    while (cand != std::string_view::npos) {
        while (boundary < cand) boundary += CharLength(text, boundary);
        if (boundary == cand) last = cand + 1;
        cand = text.find(needle, cand + 1);
    }
    return last;
}

std::string_view Substring(std::string_view s, long long start, long long count) {
    if (count <= 0) return {};
    if (start < 1) start = 1;
    if (static_cast<unsigned long long>(start) > s.size()) return {};
    return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

namespace {

#if defined(QX_WIDE_VECTORS)
// The same 64 bytes at a time; a masked load reads nothing beyond n.
__attribute__((target("avx512f,avx512bw"))) std::size_t FirstLineEndWide(const char* p, std::size_t pos,
                                                                         std::size_t n) {
    const __m512i cr = _mm512_set1_epi8('\r');
    const __m512i lf = _mm512_set1_epi8('\n');
    for (std::size_t e = pos; e < n; e += 64) {
        const __mmask64 valid = n - e >= 64 ? ~__mmask64{0} : (__mmask64{1} << (n - e)) - 1;
        const __m512i v = _mm512_maskz_loadu_epi8(valid, p + e);
        const __mmask64 ends = (_mm512_cmpeq_epi8_mask(v, cr) | _mm512_cmpeq_epi8_mask(v, lf)) & valid;
        if (ends) return e + static_cast<std::size_t>(__builtin_ctzll(ends));
    }
    return n;
}
#endif

// Index of the first CR or LF at or after pos, or n, sixteen bytes at a time.
std::size_t FirstLineEndNarrow(const char* p, std::size_t pos, std::size_t n) {
    std::size_t e = pos;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; e + 16 <= n; e += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + e));
        const unsigned ends = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        if (ends) return e + static_cast<std::size_t>(__builtin_ctz(ends));
    }
#endif
    while (e < n && p[e] != '\r' && p[e] != '\n') ++e;
    return e;
}

// The line ending at e (the index of its first CR or LF, or n).
LineSpan LineEndingAt(std::string_view s, std::size_t pos, std::size_t e) {
    const char* p = s.data();
    const std::size_t n = s.size();
    if (e == n) return {s.substr(pos), n};
    if (p[e] == '\r' && e + 1 < n && p[e + 1] == '\n') return {s.substr(pos, e - pos), e + 2};
    return {s.substr(pos, e - pos), e + 1};
}

}  // namespace

LineSpan NextLine(std::string_view s, std::size_t pos) {
    // The line ends at its first CR or LF; a CR LF pair ends it together.
#if defined(QX_WIDE_VECTORS)
    if (sys::HasWideVectors()) return LineEndingAt(s, pos, FirstLineEndWide(s.data(), pos, s.size()));
#endif
    return NextLineNarrow(s, pos);
}

LineSpan NextLineNarrow(std::string_view s, std::size_t pos) {
    return LineEndingAt(s, pos, FirstLineEndNarrow(s.data(), pos, s.size()));
}

bool IsCrLfText(std::string_view s) {
    if (s.empty()) return true;
    if (s.size() < 2 || s[s.size() - 2] != '\r' || s.back() != '\n') return false;
    // Every CR must have an LF right behind it and every LF a CR right in front:
    // the CR positions are exactly the LF positions moved back by one.
    const char* p = s.data();
    const std::size_t n = s.size();
    std::size_t i = 0;
    bool lastWasCr = false;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    // Sixty-four bytes at a time, then sixteen.
    for (; i + 64 <= n; i += 64) {
        std::uint64_t crs = 0, lfs = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16 * k));
            crs |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)))} << (16 * k);
            lfs |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))} << (16 * k);
        }
        if (lfs != ((crs << 1) | (lastWasCr ? 1u : 0u))) return false;
        lastWasCr = (crs >> 63) & 1u;
    }
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const unsigned lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        // Bit k of lfs must equal bit k-1 of crs, with the previous chunk's last byte in front.
        const unsigned expected = ((crs << 1) | (lastWasCr ? 1u : 0u)) & 0xFFFFu;
        if (lfs != expected) return false;
        lastWasCr = (crs >> 15) & 1u;
    }
#endif
    for (; i < n; ++i) {
        const bool isLf = p[i] == '\n';
        if (isLf != lastWasCr) return false;
        lastWasCr = p[i] == '\r';
    }
    return !lastWasCr;
}

std::vector<std::string_view> SplitLines(std::string_view s) {
    std::vector<std::string_view> out;
    ForEachLine(s, [&](std::string_view line) { out.push_back(line); });
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t p = Pos(from, text, i + 1);
        if (p == 0) break;
        out.append(text.substr(i, p - 1 - i));
        out.append(to);
        i = p - 1 + from.size();
    }
    out.append(text.substr(std::min(i, text.size())));
    return out;
}

// Trail bytes of double-byte characters may fall in 'A'..'Z'; they are left alone.
std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = CharLength(out, i);
        if (len == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += len;
    }
    return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

}  // namespace qx
