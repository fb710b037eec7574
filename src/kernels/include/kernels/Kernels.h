// The 64-byte classifiers and the short loops built on them, in each version
// the processor can run: wide (64-byte vectors), narrow (sixteen-byte vectors,
// four to a block) and plain (byte by byte). Every version gives the same bits
// and the same results; only the speed differs.
//
// One version is chosen at start-up: the best the processor has, or the one the
// environment variable QUILLORIX_KERNELS names ("wide", "narrow" or "plain"),
// when the processor can run it. Tests and fuzz targets switch versions with a
// ScopedKernel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qx::kernels {

enum class Version { Plain, Narrow, Wide };

// Bit k stands for byte k of a block; bits past the bytes given are 0.
struct LineBits {
    std::uint64_t nl, cr, eq, hi;  // LF, CR, "=", bytes above 0x7F
};

struct HeaderBits {
    // Lead bytes of double-byte characters (0x81..0x9F, 0xE0..0xFC), and the
    // marks a header line is read by: ":", "[", "]", "(", ")", "T", "F", "a".
    std::uint64_t leads, colon, open, close, paren, closeParen, t, f, a;
};

struct Kernel {
    Version version;

    // Classifiers of the n bytes at p (n at most 64).
    LineBits (*lineBits)(const unsigned char* p, std::size_t n);
    HeaderBits (*headerBits)(const unsigned char* p, std::size_t n);
    std::uint64_t (*base64Digits)(const unsigned char* p, std::size_t n);  // A-Z a-z 0-9 + /

    // Among the complete lines of [from, to) of the text at base (from starts a
    // line, to is just behind an LF), finds the first that needs a closer look
    // than its bytes as they stand: one starting with "=", ending in an LF with
    // no CR in front, holding a CR with no LF behind it, or whose first byte
    // above 0x7F is 0xC2..0xF4 with 0x80..0xBF behind it (it may be UTF-8).
    // True with ls its start and nl the index of its LF; false when none is.
    bool (*nextLineToLookAt)(const char* base, std::size_t from, std::size_t to, std::size_t& ls, std::size_t& nl);
    // The index of the first CR or LF of the n bytes at p, or n.
    std::size_t (*firstLineEnd)(const char* p, std::size_t n);
    // Whether every CR of the n bytes at p has an LF right behind it and every
    // LF a CR right in front.
    bool (*onlyCrLfPairs)(const char* p, std::size_t n);
    // Whether all n bytes at p are Base64 digits.
    bool (*allBase64Digits)(const char* p, std::size_t n);
    // Decodes 64 digits into 48 bytes at o, moving o on, while the next 64 of the
    // n bytes at t are all digits; returns how many bytes it took (a multiple of
    // 64). Null where the version has no such step.
    std::size_t (*decodeBase64Blocks)(const unsigned char* t, std::size_t n, std::uint8_t*& o);
};

// The versions this processor can run, plain first and the best last.
std::vector<Version> Supported();

// The version to use when `wanted` names one: that version if it is among
// `supported`, otherwise (an unknown name, an empty one, or a version the
// processor lacks) the best of `supported` (its last).
Version Choose(std::string_view wanted, const std::vector<Version>& supported);

std::string_view NameOf(Version version);

// The kernel of a version this processor can run.
const Kernel& Of(Version version);

// The kernel in use: chosen on first use, then the same unless a ScopedKernel
// changes it.
const Kernel& Active();

// Makes `version` the kernel in use while this lives (the best supported one if
// the processor cannot run it); the one before comes back after. For tests and
// fuzzing, with no read running at the time.
class ScopedKernel {
public:
    explicit ScopedKernel(Version version);
    ~ScopedKernel();
    ScopedKernel(const ScopedKernel&) = delete;
    ScopedKernel& operator=(const ScopedKernel&) = delete;

private:
    const Kernel* before_;
};

}  // namespace qx::kernels
