// The find window's regular expressions over cp932 text.
//
// The syntax is small: literal characters (a double-byte character is one
// element), ".", sets "[...]" and "[^...]", the greedy repetitions "*", "+" and
// "?" of the element before them, "^" first and "$" last as anchors, and "\"
// escapes. A pattern is compiled into a byte code of at most 128 bytes; the
// matcher interprets that code directly and never allocates.
//
// Matching works on characters, not bytes: a match only ever begins at the start
// of a character, and every element consumes whole characters, so nothing can
// match on or run into the second byte of a double-byte character.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_set>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class TRegexp {
public:
    static constexpr std::size_t kMaxCompiledSize = 128;

    enum class Status {
        Ok,
        Empty,              // the pattern is empty (or nothing was compiled yet)
        RepeatAtStart,      // "*", "+" or "?" with nothing before it
        RepeatAfterAnchor,  // "*", "+" or "?" right after the "^" anchor
        RepeatAfterRepeat,  // "*", "+" or "?" right after another one
        TooLong,            // the compiled form needs more than kMaxCompiledSize bytes
    };

    struct Match {
        std::size_t position = 0;  // 1-based; 0 when there is no match
        std::size_t length = 0;    // in bytes; may be 0 (e.g. "a*" or "$")
        explicit operator bool() const { return position != 0; }
    };

    TRegexp() = default;
    explicit TRegexp(std::string_view pattern) { Compile(pattern); }

    // Replaces the compiled pattern. A pattern that does not compile matches nothing.
    bool Compile(std::string_view pattern);

    bool Ok() const { return status_ == Status::Ok; }
    Status GetStatus() const { return status_; }
    // Why the pattern did not compile, for the user; empty when it did.
    std::string Error() const;
    // Bytes of compiled form the pattern needs (0 when it did not compile).
    std::size_t CompiledSize() const { return Ok() ? size_ : 0; }

    // The leftmost match that starts at or after the 1-based position `from`. A
    // `from` inside a double-byte character starts at the next character.
    Match Find(std::string_view text, std::size_t from = 1) const;
    bool Matches(std::string_view text) const { return Find(text).position != 0; }

private:
    static constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

    // Remembers where the rest of the pattern already failed to match, once a
    // search has backtracked a lot: "(.*)(.*)(.*)x" would otherwise try every way
    // of cutting the text. Lives for one Find.
    struct Memo {
        std::size_t calls = 0;
        std::unordered_set<std::uint64_t> failed;
    };

    std::size_t MatchHere(const unsigned char* pc, std::string_view text, std::size_t pos, Memo& memo) const;
    std::size_t MatchRest(const unsigned char* pc, std::string_view text, std::size_t pos, Memo& memo) const;
    Match TryAt(std::string_view text, std::size_t start, Memo& memo) const;
    void Analyse();

    std::array<unsigned char, kMaxCompiledSize> code_{};
    std::size_t size_ = 0;
    Status status_ = Status::Empty;
    std::size_t errorPos_ = 0;  // 1-based byte position of the offending operator
    char errorChar_ = 0;

    // Facts about the compiled pattern that let Find skip most of the text.
    std::vector<std::string> required_;   // byte runs that every match contains
    std::string literal_;                 // the whole pattern, when it is a plain text
    bool isLiteral_ = false;
    bool anchored_ = false;               // starts with "^"
    std::array<bool, 256> first_{};       // bytes a match can start on
    int onlyFirst_ = -1;                  // the single such byte, when there is just one
    bool matchesAnywhere_ = false;        // every element is optional
    bool matchesAtEnd_ = false;           // an empty match can stand at the end of a line
    int leadingRepeat_ = -1;              // code offset of x when it starts with "x*" or "x+"
};

}  // namespace qx
