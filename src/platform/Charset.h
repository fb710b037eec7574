// Converting text between two character sets with the system's converter.
#pragma once

#include <cstddef>

namespace qx::sys {

class CharsetConverter {
public:
    // Throws std::runtime_error when the system cannot convert `from` to `to`.
    CharsetConverter(const char* to, const char* from);
    ~CharsetConverter();
    CharsetConverter(const CharsetConverter&) = delete;
    CharsetConverter& operator=(const CharsetConverter&) = delete;

    enum class Step {
        Done,        // all of the input was converted
        OutputFull,  // the output room ran out first
        BadInput     // an invalid, unconvertible or incomplete sequence at src
    };
    // Converts from src into dst, moving both on and shrinking what is left.
    Step Convert(const char*& src, std::size_t& srcLeft, char*& dst, std::size_t& dstLeft);
    // Writes what ends the output (a shift back to the initial state, if any).
    void Finish(char*& dst, std::size_t& dstLeft);
    // Back to the initial state, dropping what was begun.
    void Reset();

private:
    void* cd_;
};

}  // namespace qx::sys
