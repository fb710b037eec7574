#include "platform/Charset.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace qx::sys {

namespace {

iconv_t Descriptor(void* cd) { return static_cast<iconv_t>(cd); }

}  // namespace

CharsetConverter::CharsetConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (Descriptor(cd_) == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
}

CharsetConverter::~CharsetConverter() { iconv_close(Descriptor(cd_)); }

CharsetConverter::Step CharsetConverter::Convert(const char*& src, std::size_t& srcLeft, char*& dst,
                                                 std::size_t& dstLeft) {
    char* in = const_cast<char*>(src);
    const std::size_t r = iconv(Descriptor(cd_), &in, &srcLeft, &dst, &dstLeft);
    src = in;
    if (r != static_cast<std::size_t>(-1)) return Step::Done;
    return errno == E2BIG ? Step::OutputFull : Step::BadInput;
}

void CharsetConverter::Finish(char*& dst, std::size_t& dstLeft) {
    iconv(Descriptor(cd_), nullptr, nullptr, &dst, &dstLeft);
}

void CharsetConverter::Reset() { iconv(Descriptor(cd_), nullptr, nullptr, nullptr, nullptr); }

}  // namespace qx::sys
