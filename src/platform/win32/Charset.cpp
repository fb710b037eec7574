// Converting between cp932 and UTF-8 with the system's code pages (Windows has
// no iconv). Text goes through UTF-16 a piece at a time; a piece that does not
// convert whole is taken a character at a time to find where it stops.
#include "platform/Charset.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/win32/Win32Util.h"

namespace qx::sys {

namespace {

constexpr unsigned kCp932 = 932;

unsigned CodePageOf(const char* name) {
    if (std::strcmp(name, "CP932") == 0) return kCp932;
    if (std::strcmp(name, "UTF-8") == 0) return CP_UTF8;
    return 0;
}

struct Pages {
    unsigned to;
    unsigned from;
};

// Bytes of the character that starts at p (at most left), as the source page counts them.
std::size_t CharBytes(unsigned page, const unsigned char* p, std::size_t left) {
    std::size_t n = 1;
    if (page == kCp932) {
        n = ((p[0] >= 0x81 && p[0] <= 0x9F) || (p[0] >= 0xE0 && p[0] <= 0xFC)) ? 2 : 1;
    } else if (p[0] >= 0xF0) {
        n = 4;
    } else if (p[0] >= 0xE0) {
        n = 3;
    } else if (p[0] >= 0xC0) {
        n = 2;
    }
    return n <= left ? n : left + 1;  // past the end: incomplete
}

// The system's cp932 takes the bytes 0x80, 0xA0 and 0xFD to 0xFF on their own for
// characters of their own (U+0080, U+F8F0 to U+F8F3), which cp932 text never
// holds: here they are no characters, in either direction, as with iconv.
bool IsStrayByte(unsigned char c) { return c == 0x80 || c == 0xA0 || c >= 0xFD; }
bool IsStrayCharacter(wchar_t c) { return c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3); }

bool HasStrayByte(const char* src, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(src);
    for (std::size_t i = 0; i < n; i += CharBytes(kCp932, p + i, n - i)) {
        if (IsStrayByte(p[i])) return true;
    }
    return false;
}

// Converts src[0, n) whole into out, or returns false when any of it does not convert.
bool ConvertWhole(const Pages& pages, const char* src, std::size_t n, std::string& out) {
    out.clear();
    if (n == 0) return true;
    if (pages.from == kCp932 && HasStrayByte(src, n)) return false;
    const int wn = MultiByteToWideChar(pages.from, MB_ERR_INVALID_CHARS, src, static_cast<int>(n), nullptr, 0);
    if (wn <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(pages.from, MB_ERR_INVALID_CHARS, src, static_cast<int>(n), wide.data(), wn);
    if (pages.to == kCp932) {
        for (wchar_t c : wide) {
            if (IsStrayCharacter(c)) return false;
        }
    }
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = pages.to == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = pages.to == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int on = WideCharToMultiByte(pages.to, flags, wide.data(), wn, nullptr, 0, nullptr, usedDefaultOut);
    if (on <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(on));
    WideCharToMultiByte(pages.to, flags, wide.data(), wn, out.data(), on, nullptr, usedDefaultOut);
    return !usedDefault;
}

}  // namespace

CharsetConverter::CharsetConverter(const char* to, const char* from) : cd_(nullptr) {
    const Pages pages{CodePageOf(to), CodePageOf(from)};
    if (pages.to == 0 || pages.from == 0) {
        throw std::runtime_error(std::string("cannot convert ") + from + " to " + to);
    }
    cd_ = new Pages(pages);
}

CharsetConverter::~CharsetConverter() { delete static_cast<Pages*>(cd_); }

CharsetConverter::Step CharsetConverter::Convert(const char*& src, std::size_t& srcLeft, char*& dst,
                                                 std::size_t& dstLeft) {
    const Pages& pages = *static_cast<const Pages*>(cd_);
    std::string piece;
    std::size_t limit = 0;  // 0: as much as the room left is likely to take
    while (srcLeft > 0) {
        const auto* p = reinterpret_cast<const unsigned char*>(src);
        const std::size_t first = CharBytes(pages.from, p, srcLeft);
        if (first > srcLeft) return Step::BadInput;  // an incomplete character at the end
        const std::size_t most = limit != 0 ? limit : std::min(srcLeft, std::max<std::size_t>(dstLeft / 3, 1));
        std::size_t take = first;
        while (take < most) {
            const std::size_t n = CharBytes(pages.from, p + take, srcLeft - take);
            if (take + n > most || take + n > srcLeft) break;
            take += n;
        }
        const bool converted = ConvertWhole(pages, src, take, piece);
        if (!converted || piece.size() > dstLeft) {
            // One character that does not convert or does not fit ends the step;
            // a longer piece is halved until it finds which.
            if (take == first) return converted ? Step::OutputFull : Step::BadInput;
            limit = take / 2;
            continue;
        }
        std::memcpy(dst, piece.data(), piece.size());
        dst += piece.size();
        dstLeft -= piece.size();
        src += take;
        srcLeft -= take;
        limit = 0;
    }
    return Step::Done;
}

// Neither page has shift states.
void CharsetConverter::Finish(char*&, std::size_t&) {}
void CharsetConverter::Reset() {}

}  // namespace qx::sys
