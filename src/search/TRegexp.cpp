#include "search/TRegexp.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "search/CharBoundary.h"
#include "text/Cp932.h"

namespace qx {

namespace {

// Byte code. Every element is an opcode followed by its operands; a repetition
// opcode stands in front of the one element it repeats. Sizes: character 2,
// double-byte character 3, set 33 (a 256-bit map), any other opcode 1.
enum Op : unsigned char {
    kEnd = 0,
    kChar,     // c
    kChar2,    // lead, trail
    kAny,
    kSet,      // 32-byte bit map
    kNotSet,   // 32-byte bit map
    kBol,
    kEol,
    kStar,
    kPlus,
    kOpt,
};

constexpr std::size_t kSetBytes = 32;

std::size_t ElementSize(const unsigned char* pc) {
    switch (*pc) {
        case kChar: return 2;
        case kChar2: return 3;
        case kSet:
        case kNotSet: return 1 + kSetBytes;
        default: return 1;
    }
}

bool IsRepeat(unsigned char op) { return op == kStar || op == kPlus || op == kOpt; }

bool InSet(const unsigned char* map, unsigned char c) { return (map[c >> 3] >> (c & 7)) & 1; }

// Where the element at pc, matched at the character start pos, ends; kNone if it does not match.
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::size_t Step(const unsigned char* pc, std::string_view t, std::size_t pos) {
    if (pos >= t.size()) return kNone;
    const auto b = static_cast<unsigned char>(t[pos]);
    const std::size_t len = CharLength(t, pos);
    switch (*pc) {
        case kChar: return (len == 1 && b == pc[1]) ? pos + 1 : kNone;
        case kChar2:
            return (len == 2 && b == pc[1] && static_cast<unsigned char>(t[pos + 1]) == pc[2])
                       ? pos + 2
                       : kNone;
        case kAny: return b != '\n' ? pos + len : kNone;
        case kSet: return (len == 1 && InSet(pc + 1, b)) ? pos + 1 : kNone;
        case kNotSet: return (len == 1 && !InSet(pc + 1, b)) ? pos + 1 : kNone;
        default: return kNone;
    }
}

// Width of every character the element can match, or 0 when it varies.
std::size_t FixedWidth(const unsigned char* pc) {
    switch (*pc) {
        case kChar:
        case kSet:
        case kNotSet: return 1;
        case kChar2: return 2;
        default: return 0;
    }
}

bool IsHex(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(unsigned char c) {
    if (c <= '9') return c - '0';
    return (c | 0x20) - 'a' + 10;
}
bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Writes byte code into a fixed buffer; once it would overflow, it only counts.
class Emitter {
public:
    explicit Emitter(std::array<unsigned char, TRegexp::kMaxCompiledSize>& code) : code_(code) {}

    void Put(unsigned char b) {
        if (size_ < code_.size()) code_[size_] = b;
        ++size_;
    }
    // Puts op in front of the element that starts at `at` (the last one emitted).
    void InsertAt(std::size_t at, unsigned char op) {
        if (size_ + 1 <= code_.size()) {
            std::memmove(code_.data() + at + 1, code_.data() + at, size_ - at);
            code_[at] = op;
        }
        ++size_;
    }
    std::size_t Size() const { return size_; }
    bool Fits() const { return size_ <= code_.size(); }

private:
    std::array<unsigned char, TRegexp::kMaxCompiledSize>& code_;
    std::size_t size_ = 0;
};

// Reads one escape; i is the index of the byte after the backslash and is moved
// past the escape. Returns the character's bytes (one, or two for a double-byte
// character).
std::string_view ReadEscape(std::string_view p, std::size_t& i, unsigned char& scratch) {
    if (i >= p.size()) {  // a backslash that ends the pattern stands for itself
        scratch = '\\';
        return {reinterpret_cast<const char*>(&scratch), 1};
    }
    const auto e = static_cast<unsigned char>(p[i]);
    if (IsLeadByte(e) && i + 1 < p.size()) {
        i += 2;
        return p.substr(i - 2, 2);
    }
    ++i;
    int value = e;
    switch (e | 0x20) {
        case 'b': value = IsAsciiLetter(e) ? 0x08 : e; break;
        case 'e': value = IsAsciiLetter(e) ? 0x1B : e; break;
        case 'f': value = IsAsciiLetter(e) ? 0x0C : e; break;
        case 'n': value = IsAsciiLetter(e) ? 0x0A : e; break;
        case 'r': value = IsAsciiLetter(e) ? 0x0D : e; break;
        case 's': value = IsAsciiLetter(e) ? 0x20 : e; break;
        case 't': value = IsAsciiLetter(e) ? 0x09 : e; break;
        case 'x':
            if (IsAsciiLetter(e) && i < p.size() && IsHex(static_cast<unsigned char>(p[i]))) {
                value = 0;
                for (int n = 0; n < 3 && i < p.size() && IsHex(static_cast<unsigned char>(p[i]));
                     ++n, ++i) {
                    value = value * 16 + HexValue(static_cast<unsigned char>(p[i]));
                }
            }
            break;
        default: break;
    }
    if (e == '^' && i < p.size() && IsAsciiLetter(static_cast<unsigned char>(p[i]))) {
        value = static_cast<unsigned char>(p[i]) & 0x1F;
        ++i;
    } else if (e >= '0' && e <= '7') {
        value = e - '0';
        for (int n = 1; n < 3 && i < p.size() && p[i] >= '0' && p[i] <= '7'; ++n, ++i) {
            value = value * 8 + (p[i] - '0');
        }
    }
    scratch = static_cast<unsigned char>(value & 0xFF);
    return {reinterpret_cast<const char*>(&scratch), 1};
}

// Reads a set; i is the index after "[" and is moved past the closing "]".
void ReadSet(std::string_view p, std::size_t& i, Emitter& out) {
    const std::size_t n = p.size();
    bool negate = false;
    if (i < n && p[i] == '^') {
        negate = true;
        ++i;
    }
    unsigned char map[kSetBytes] = {};
    auto add = [&](unsigned lo, unsigned hi) {
        if (lo > hi) std::swap(lo, hi);
        for (unsigned c = lo; c <= hi; ++c) map[c >> 3] |= static_cast<unsigned char>(1u << (c & 7));
    };
    // A double-byte character of the pattern at index k (it can never be a set member).
    auto doubleAt = [&](std::size_t k) {
        return k + 1 < n && IsLeadByte(static_cast<unsigned char>(p[k]));
    };
    bool first = true;
    while (i < n && p[i] != ']') {
        const auto c = static_cast<unsigned char>(p[i]);
        if (doubleAt(i)) {
            // A set holds single-byte characters only; its trail byte must not be
            // read as "]" or "-".
            i += 2;
        } else if (c == '-' && first) {
            add(c, c);
            ++i;
        } else if (i + 2 < n && p[i + 1] == '-' && p[i + 2] != ']' && !doubleAt(i + 2)) {
            add(c, static_cast<unsigned char>(p[i + 2]));
            i += 3;
        } else {
            add(c, c);
            ++i;
        }
        first = false;
    }
    if (i < n) ++i;  // the "]"; an open set just ends with the pattern
    out.Put(negate ? kNotSet : kSet);
    for (unsigned char b : map) out.Put(b);
}

}  // namespace

bool TRegexp::Compile(std::string_view p) {
    *this = TRegexp();
    if (p.empty()) {
        status_ = Status::Empty;
        return false;
    }
    enum class Last { Nothing, Anchor, Element, Repeat } last = Last::Nothing;
    Emitter out(code_);
    std::size_t elementAt = 0;
    std::size_t i = 0;
    while (i < p.size()) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '*' || c == '+' || c == '?') {
            if (last != Last::Element) {
                status_ = last == Last::Nothing  ? Status::RepeatAtStart
                          : last == Last::Anchor ? Status::RepeatAfterAnchor
                                                 : Status::RepeatAfterRepeat;
                errorPos_ = i + 1;
                errorChar_ = static_cast<char>(c);
                code_ = {};
                return false;
            }
            out.InsertAt(elementAt, c == '*' ? kStar : c == '+' ? kPlus : kOpt);
            last = Last::Repeat;
            ++i;
            continue;
        }
        if (c == '^' && i == 0) {
            out.Put(kBol);
            last = Last::Anchor;
            ++i;
            continue;
        }
        if (c == '$' && i + 1 == p.size()) {
            out.Put(kEol);
            last = Last::Anchor;
            ++i;
            continue;
        }
        elementAt = out.Size();
        last = Last::Element;
        if (c == '.') {
            out.Put(kAny);
            ++i;
        } else if (c == '[') {
            ++i;
            ReadSet(p, i, out);
        } else {
            std::string_view ch;
            unsigned char scratch = 0;
            if (c == '\\') {
                ++i;
                ch = ReadEscape(p, i, scratch);
            } else {
                ch = p.substr(i, CharLength(p, i));
                i += ch.size();
            }
            out.Put(ch.size() == 2 ? kChar2 : kChar);
            for (char b : ch) out.Put(static_cast<unsigned char>(b));
        }
    }
    out.Put(kEnd);
    if (!out.Fits()) {
        status_ = Status::TooLong;
        errorPos_ = 0;
        code_ = {};
        return false;
    }
    size_ = out.Size();
    status_ = Status::Ok;
    Analyse();
    return true;
}

std::string TRegexp::Error() const {
    const std::string op = std::string("\"") + errorChar_ + "\"";
    const std::string at = " (position " + std::to_string(errorPos_) + ")";
    switch (status_) {
        case Status::Ok: return {};
        case Status::Empty: return "The regular expression is empty.";
        case Status::RepeatAtStart:
            return "The regular expression cannot begin with " + op + at + ".";
        case Status::RepeatAfterAnchor: return op + " cannot follow \"^\"" + at + ".";
        case Status::RepeatAfterRepeat:
            return op + " cannot follow another \"*\", \"+\" or \"?\"" + at + ".";
        case Status::TooLong:
            return "The regular expression is too long (its compiled form exceeds " +
                   std::to_string(kMaxCompiledSize) + " bytes).";
    }
    return {};
}

void TRegexp::Analyse() {
    const unsigned char* pc = code_.data();
    anchored_ = *pc == kBol;
    bool literal = !anchored_;
    bool firstKnown = false;  // the bytes a match can begin with are all collected
    std::string run;
    auto endRun = [&] {
        if (!run.empty()) required_.push_back(run);
        run.clear();
    };
    auto addFirst = [&](const unsigned char* e) {
        switch (*e) {
            case kChar:
            case kChar2: first_[e[1]] = true; break;
            case kAny:
                for (unsigned b = 0; b < 256; ++b) {
                    if (b != '\n') first_[b] = true;
                }
                break;
            case kSet:
            case kNotSet:
                for (unsigned b = 0; b < 256; ++b) {
                    if (InSet(e + 1, static_cast<unsigned char>(b)) == (*e == kSet)) first_[b] = true;
                }
                break;
            default: break;
        }
    };
    bool atStart = true;
    while (*pc != kEnd) {
        if (*pc == kBol) {
            ++pc;
            continue;
        }
        if (*pc == kEol) {
            literal = false;
            if (!firstKnown) {
                first_['\n'] = true;
                matchesAtEnd_ = true;
                firstKnown = true;
            }
            ++pc;
            continue;
        }
        unsigned char rep = 0;
        if (IsRepeat(*pc)) {
            rep = *pc++;
            literal = false;
        }
        const unsigned char* e = pc;
        if (atStart && !anchored_ && (rep == kStar || rep == kPlus)) {
            leadingRepeat_ = static_cast<int>(e - code_.data());
        }
        atStart = false;
        if (!firstKnown) {
            addFirst(e);
            if (rep != kStar && rep != kOpt) firstKnown = true;
        }
        if (*e == kChar || *e == kChar2) {
            const std::string bytes(reinterpret_cast<const char*>(e + 1), *e == kChar ? 1 : 2);
            // A lone lead byte never matches a double-byte character, so a plain
            // byte search would find too much.
            if (*e == kChar && IsLeadByte(e[1])) literal = false;
            if (rep == 0) {
                run += bytes;
            } else if (rep == kPlus) {
                run += bytes;
                endRun();
                run = bytes;
            } else {
                endRun();
            }
        } else {
            endRun();
            literal = false;
        }
        pc = e + ElementSize(e);
    }
    endRun();
    // Rarest first, roughly: a longer run is less likely to be in the text.
    std::stable_sort(required_.begin(), required_.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    matchesAnywhere_ = !firstKnown;
    isLiteral_ = literal;
    if (literal) literal_ = required_.front();
    if (!matchesAnywhere_ && !matchesAtEnd_) {
        int count = 0;
        for (unsigned b = 0; b < 256; ++b) {
            if (first_[b]) {
                ++count;
                onlyFirst_ = static_cast<int>(b);
            }
        }
        if (count != 1) onlyFirst_ = -1;
    }
}

std::size_t TRegexp::MatchRest(const unsigned char* pc, std::string_view t, std::size_t pos, Memo& memo) const {
    // Below this many tries the plain backtracking is cheaper than remembering.
    constexpr std::size_t kRememberAfter = 4096;
    const bool remember = ++memo.calls > kRememberAfter;
    const std::uint64_t key = (static_cast<std::uint64_t>(pc - code_.data()) << 48) | pos;
    if (remember && memo.failed.count(key)) return kNoMatch;
    const std::size_t r = MatchHere(pc, t, pos, memo);
    // Whether the rest matches from here does not depend on how we got here.
    if (r == kNoMatch && remember) memo.failed.insert(key);
    return r;
}

std::size_t TRegexp::MatchHere(const unsigned char* pc, std::string_view t, std::size_t pos, Memo& memo) const {
    for (;;) {
        switch (*pc) {
            case kEnd: return pos;
            case kBol:
                if (pos != 0) return kNoMatch;
                ++pc;
                continue;
            case kEol:
                if (pos != t.size() && t[pos] != '\n') return kNoMatch;
                ++pc;
                continue;
            case kOpt: {
                const unsigned char* e = pc + 1;
                const unsigned char* rest = e + ElementSize(e);
                const std::size_t q = Step(e, t, pos);
                if (q != kNone) {
                    const std::size_t r = MatchRest(rest, t, q, memo);
                    if (r != kNoMatch) return r;
                }
                pc = rest;
                continue;
            }
            case kStar:
            case kPlus: {
                const unsigned char* e = pc + 1;
                const unsigned char* rest = e + ElementSize(e);
                const std::size_t min = *pc == kPlus ? 1 : 0;
                std::size_t count = 0;
                std::size_t q = pos;
                for (std::size_t next; (next = Step(e, t, q)) != kNone; q = next) ++count;
                if (count < min) return kNoMatch;
                if (*rest == kEnd) return q;
                // Give characters back one at a time, longest first.
                const std::size_t width = FixedWidth(e);
                for (;;) {
                    const std::size_t r = MatchRest(rest, t, q, memo);
                    if (r != kNoMatch) return r;
                    if (count == min) return kNoMatch;
                    q = width != 0 ? q - width : PreviousCharStart(t, pos, q);
                    --count;
                }
            }
            default: {
                const std::size_t q = Step(pc, t, pos);
                if (q == kNone) return kNoMatch;
                pos = q;
                pc += ElementSize(pc);
                continue;
            }
        }
    }
}

TRegexp::Match TRegexp::TryAt(std::string_view t, std::size_t start, Memo& memo) const {
    const std::size_t end = MatchHere(code_.data(), t, start, memo);
    if (end == kNoMatch) return {};
    return {start + 1, end - start};
}

TRegexp::Match TRegexp::Find(std::string_view t, std::size_t from) const {
    if (!Ok()) return {};
    Memo memo;
    const std::size_t n = t.size();
    if (from == 0) from = 1;
    if (from > n + 1) return {};
    std::size_t s = from - 1;
    if (!IsCharStart(t, 0, s)) ++s;  // from pointed at a trail byte

    if (anchored_) return s == 0 ? TryAt(t, 0, memo) : Match{};
    for (const std::string& r : required_) {
        if (t.find(r, s) == std::string_view::npos) return {};
    }
    if (isLiteral_) {
        const std::size_t p = Pos(literal_, t, s + 1);
        return p != 0 ? Match{p, literal_.size()} : Match{};
    }

    if (onlyFirst_ >= 0) {
        const std::size_t floor = s;
        while (s < n) {
            const void* hit = std::memchr(t.data() + s, onlyFirst_, n - s);
            if (hit == nullptr) return {};
            const auto c = static_cast<std::size_t>(static_cast<const char*>(hit) - t.data());
            if (IsCharStart(t, floor, c)) {
                if (Match m = TryAt(t, c, memo)) return m;
            }
            s = c + 1;
        }
        return {};
    }

    for (;;) {
        if (s >= n) return (matchesAnywhere_ || matchesAtEnd_) ? TryAt(t, n, memo) : Match{};
        if (matchesAnywhere_ || first_[static_cast<unsigned char>(t[s])]) {
            if (Match m = TryAt(t, s, memo)) return m;
            if (leadingRepeat_ >= 0) {
                // The pattern starts with "x*" or "x+". Starting anywhere inside
                // the run of x's that begins here only retries a subset of the ends
                // just tried, so go on after the run.
                const unsigned char* e = code_.data() + leadingRepeat_;
                std::size_t q = s;
                if (*e == kAny) {
                    q = NextLineFeed(t, s);
                    if (q == std::string_view::npos) q = n;
                } else {
                    for (std::size_t next; (next = Step(e, t, q)) != kNone;) q = next;
                }
                if (q >= n) return {};
                s = q + CharLength(t, q);
                continue;
            }
        }
        s += CharLength(t, s);
    }
}

}  // namespace qx
