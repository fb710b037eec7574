#include "text/Encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Charset.h"

namespace qx {
namespace {

// Converters are costly to open; keep one per direction per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(to, from) {}

    // Converts in; on an invalid or unconvertible sequence calls onBad(pos) which
    // returns how many input bytes to skip (0 = give up).
    template <typename OnBad>
    bool Run(std::string_view in, std::string& out, OnBad&& onBad) {
        cd_.Reset();
        out.clear();
        out.reserve(in.size() * 3 / 2 + 8);
        const char* src = in.data();
        std::size_t srcLeft = in.size();
        char buf[4096];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const sys::CharsetConverter::Step r = cd_.Convert(src, srcLeft, dst, dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == sys::CharsetConverter::Step::OutputFull) continue;
            if (r == sys::CharsetConverter::Step::BadInput) {
                // Invalid, or incomplete at the end.
                std::size_t skip = onBad(out, static_cast<std::size_t>(src - in.data()));
                if (skip == 0) return false;
                skip = std::min(skip, srcLeft);
                src += skip;
                srcLeft -= skip;
                cd_.Reset();
            }
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        cd_.Finish(dst, dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        return true;
    }

private:
    sys::CharsetConverter cd_;
};

Converter& ToCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}
Converter& FromCp932() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

}  // namespace

bool IsAscii(std::string_view s) {
    // Eight bytes at a time: any high bit set means a byte of 0x80 or more.
    const char* p = s.data();
    std::size_t n = s.size();
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL) return false;
        p += 8;
        n -= 8;
    }
    while (n > 0) {
        if (static_cast<unsigned char>(*p) >= 0x80) return false;
        ++p;
        --n;
    }
    return true;
}

bool IsValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += len;
    }
    return true;
}

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
    return ToCp932().Run(utf8, out, [](std::string&, std::size_t) -> std::size_t { return 0; });
}

bool Cp932ToUtf8Strict(std::string_view cp932, std::string& out) {
    return FromCp932().Run(cp932, out, [](std::string&, std::size_t) -> std::size_t { return 0; });
}

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string out;
    if (IsAscii(cp932)) return std::string(cp932);
    FromCp932().Run(cp932, out, [](std::string& o, std::size_t) -> std::size_t {
        o.append("\xEF\xBF\xBD");
        return 1;
    });
    return out;
}

bool ConvertUtf8LineInPlace(std::string& line) {
    if (IsAscii(line) || !IsValidUtf8(line)) return false;
    std::string cp, back;
    if (!Utf8ToCp932(line, cp)) return false;
    if (!Cp932ToUtf8Strict(cp, back) || back != line) return false;
    line.swap(cp);
    return true;
}

std::string Utf8LineToCp932(std::string_view line) {
    std::string s(line);
    ConvertUtf8LineInPlace(s);
    return s;
}

}  // namespace qx
