#include "logstore/LogData.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <vector>

#include "crypto/ProtectedText.h"
#include "logstore/HeaderLine.h"
#include "logstore/TextArena.h"
#include "text/Cp932.h"
#include "text/TextHash.h"

namespace qx {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Room for n views, left unset: each is written before it is read. (Views set
// to empty first cost a store each, on a path taken for every message.)
template <std::size_t n>
union ViewSlots {
    ViewSlots() {}
    std::string_view at[n];
};

// The header's pieces are a few bytes each: searched and copied in place, not
// through a library call for each.
[[gnu::always_inline]] inline std::size_t FindByte(std::string_view s, char c, std::size_t from = 0) {
    // Eight bytes at a time: a byte equal to c is a zero byte of w ^ pattern, and
    // the lowest flag of the zero-byte test marks the first such byte exactly.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
    const std::size_t n = s.size();
    std::size_t i = from;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        w = __builtin_bswap64(w);  // the first byte lowest, as the test below needs
#endif
        const std::uint64_t x = w ^ pattern;
        const std::uint64_t zero = (x - kOnes) & ~x & (kOnes << 7);
        if (zero) return i + static_cast<std::size_t>(__builtin_ctzll(zero) >> 3);
    }
    for (; i < n; ++i) {
        if (s[i] == c) return i;
    }
    return std::string_view::npos;
}

[[gnu::always_inline]] inline void CopyBytes(char* to, const char* from, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + n - 8, 8);
        std::memcpy(to, &a, 8);
        std::memcpy(to + n - 8, &b, 8);
    } else if (n >= 4 && n < 8) {
        std::uint32_t a, b;
        std::memcpy(&a, from, 4);
        std::memcpy(&b, from + n - 4, 4);
        std::memcpy(to, &a, 4);
        std::memcpy(to + n - 4, &b, 4);
    } else if (n < 4) {
        if (n == 0) return;
        // One to three bytes: the first, the middle and the last cover them all.
        const char a = from[0], b = from[n / 2], c = from[n - 1];
        to[0] = a;
        to[n / 2] = b;
        to[n - 1] = c;
    } else {
        std::memcpy(to, from, n);
    }
}

bool IsSeparatorOf(std::string_view line, std::string_view run) {
    if (line.size() != 37 || line[0] != run[0]) return false;
    // 36 equal bytes, compared eight at a time.
    const std::uint64_t eight = 0x0101010101010101ull * static_cast<unsigned char>(run[0]);
    for (int i = 0; i < 32; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, line.data() + i, 8);
        if (w != eight) return false;
    }
    std::uint32_t last;
    std::memcpy(&last, line.data() + 32, 4);
    return last == static_cast<std::uint32_t>(eight);
}

int ModeOfMark(char mark, char plainMark) {
    if (mark == plainMark) return kModePlain;
    if (mark == '1') return kModeEncoded;
    if (mark == '2') return kModeEncrypted;
    return kModeUnknown;
}

char MarkOfMode(int mode, char plainMark) {
    if (mode == kModeEncoded) return '1';
    if (mode == kModeEncrypted) return '2';
    return plainMark;
}

// A whole integer with an optional sign, in int range, not -1.
bool IsAddressNumber(std::string_view s) {
    // Up to nine digits (as in every dotted address) are always in range.
    if (!s.empty() && s.size() <= 9) {
        std::size_t i = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        if (i == s.size()) return true;
    }
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    long long v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) return false;
    return v >= -2147483648LL && v <= 2147483647LL && v != -1;
}

bool IsIpv4(std::string_view s) {
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t dot = FindByte(s, '.', start);
        std::string_view part = s.substr(start, dot == std::string_view::npos ? s.npos : dot - start);
        if (!IsAddressNumber(part)) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts == 4;
}

// The first seven blank-and-comma separated tokens of a date line and how many
// there are in all. A quoted token may hold blanks and commas, a doubled quote
// inside standing for one; only such a token needs storage of its own.
struct DateTokenList {
    static constexpr std::size_t kKept = 7;
    ViewSlots<kKept> token;  // token.at[i] for i below count (and kKept)
    // Room for tokens taken out of quotes, made only when one is (seldom).
    std::unique_ptr<std::string[]> unquoted;
    bool owned[kKept] = {};  // token.at[i] is in unquoted[i], not in the line
    std::size_t count = 0;

    void Reset() { count = 0; }
    void Add(std::string_view t) {
        if (count < kKept) {
            token.at[count] = t;
            owned[count] = false;
        }
        ++count;
    }
    void AddOwned(std::string&& t) {
        if (count < kKept) {
            if (!unquoted) unquoted = std::make_unique<std::string[]>(kKept);
            unquoted[count] = std::move(t);
            token.at[count] = unquoted[count];
            owned[count] = true;
        }
        ++count;
    }
};

void DateTokens(std::string_view line, DateTokenList& out) {
    const std::size_t nul = FindByte(line, '\0');
    const std::size_t n = nul == std::string_view::npos ? line.size() : nul;
    line = line.substr(0, n);
    auto isBlank = [&](std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        return c >= 0x01 && c <= 0x20;
    };
    std::size_t i = 0;
    while (i < n && isBlank(i)) ++i;
    while (i < n) {
        if (line[i] == '"') {
            ++i;
            const std::size_t start = i;
            bool doubled = false;
            std::size_t end = n;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    end = i;
                    ++i;
                    break;
                }
                i += CharLength(line, i);
                end = std::min(i, n);
            }
            std::string_view raw = line.substr(start, std::min(end, n) - start);
            if (doubled) {
                out.AddOwned(ReplaceAll(raw, "\"\"", "\""));
            } else {
                out.Add(raw);
            }
        } else {
            const std::size_t start = i;
            // Up to a blank or a comma; a double-byte character is passed whole.
            while (i < n) {
                const unsigned char c = static_cast<unsigned char>(line[i]);
                if (c <= 0x20 || c == ',') break;
                i += (c >= 0x81 && IsLeadByte(c) && i + 1 < n) ? 2 : 1;
            }
            out.Add(line.substr(start, std::min(i, n) - start));
        }
        while (i < n && isBlank(i)) ++i;
        if (i < n && line[i] == ',') {
            ++i;
            if (i == n) {
                out.Add({});
                break;
            }
            while (i < n && isBlank(i)) ++i;
        }
    }
}

// Text a header field is built up in while parsing: room on the stack for the
// usual few dozen bytes, the heap only beyond that.
class FieldText {
public:
    FieldText() = default;
    FieldText(const FieldText&) = delete;
    FieldText& operator=(const FieldText&) = delete;

    std::string_view view() const {
        return spilled_ ? std::string_view(heap_) : std::string_view(room_ + begin_, end_ - begin_);
    }
    bool empty() const { return view().empty(); }
    char back() const { return view().back(); }
    [[gnu::always_inline]] void append(std::string_view s) {
        if (!spilled_ && s.size() <= kRoom - end_) {
            CopyBytes(room_ + end_, s.data(), s.size());
            end_ += s.size();
            return;
        }
        if (!spilled_) {
            heap_.assign(room_ + begin_, end_ - begin_);
            spilled_ = true;
        }
        heap_.append(s);
    }
    void push_back(char c) { append(std::string_view(&c, 1)); }
    void pop_back() {
        if (spilled_) heap_.pop_back();
        else --end_;
    }
    void assign(std::string_view s) {
        spilled_ = false;
        heap_.clear();
        begin_ = end_ = 0;
        append(s);
    }
    // Drops blanks and control characters at both ends.
    void TrimEnds() {
        const std::string_view v = view();
        const std::string_view t = Trim(v);
        if (t.size() == v.size()) return;
        if (spilled_) {
            const std::size_t offset = static_cast<std::size_t>(t.data() - v.data());
            const std::size_t length = t.size();
            heap_.erase(0, offset);
            heap_.resize(length);
        } else {
            begin_ = static_cast<std::size_t>(t.data() - room_);
            end_ = begin_ + t.size();
        }
    }

private:
    static constexpr std::size_t kRoom = 200;
    char room_[kRoom];
    std::size_t begin_ = 0, end_ = 0;
    std::string heap_;
    bool spilled_ = false;
};

}  // namespace

std::uint64_t HeaderLineMemo::Hash(std::string_view line) { return TextHash(line); }

const HeaderLineMemo::Fields* HeaderLineMemo::Find(std::string_view line, std::uint64_t hash) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = hash % kSlots;; i = (i + 1) % kSlots) {
        const Slot& s = slots_[i];
        if (!s.used) return nullptr;
        if (s.hash == hash && s.line == line) return &s.fields;
    }
}

void HeaderLineMemo::Add(std::string_view line, std::uint64_t hash, const std::string_view* fields) {
    if (count_ >= kSlots / 4 * 3) return;
    if (slots_.empty()) slots_.resize(kSlots);
    std::size_t i = hash % kSlots;
    while (slots_[i].used) {
        if (slots_[i].hash == hash && slots_[i].line == line) return;
        i = (i + 1) % kSlots;
    }
    Slot& s = slots_[i];
    s.line.assign(line);
    s.hash = hash;
    s.used = true;
    for (int k = 0; k < 6; ++k) s.fields.text[k].assign(fields[k]);
    ++count_;
}

bool IsTopSeparator(std::string_view line) { return IsSeparatorOf(line, kTopRun); }
bool IsBodySeparator(std::string_view line) { return IsSeparatorOf(line, kBodyRun); }

LogData::LogData(std::string_view blockText, const std::shared_ptr<const void>& storage, bool crlfText,
                 TextArena* arena, HeaderLineMemo* memo) {
    // Walk the lines up to the body separator; the body is everything after it.
    std::size_t pos = 0;
    std::size_t headerBegin = 0, headerEnd = 0;  // header lines with their line ends
    bool headerCrLf = true;                       // every header line ends in CR LF
    bool inHeader = false;
    bool sawBodySeparator = false;
    // The header lines as found here, so that the parser need not find them again.
    constexpr std::size_t kKeptLines = 16;
    ViewSlots<kKeptLines> found;
    std::size_t headerLineCount = 0;
    while (pos < blockText.size()) {
        const LineSpan span = NextLine(blockText, pos);
        const std::size_t lineEnd = static_cast<std::size_t>(span.line.data() - blockText.data()) +
                                    span.line.size();
        pos = span.next;
        if (!inHeader) {
            if (IsTopSeparator(span.line)) {
                topMark_ = span.line[36];
                hasTop_ = true;
                inHeader = true;
                headerBegin = headerEnd = pos;
            }
        } else if (IsBodySeparator(span.line)) {
            bodyMark_ = span.line[36];
            hasBody_ = true;
            sawBodySeparator = true;
            break;
        } else {
            if (pos != lineEnd + 2 || blockText[lineEnd] != '\r') headerCrLf = false;
            headerEnd = pos;
            if (headerLineCount < kKeptLines) found.at[headerLineCount] = span.line;
            ++headerLineCount;
        }
    }

    if (!sawBodySeparator) {
        // No body separator: nothing of the header counts and the body stays empty.
        bodyMark_ = 0;
        return;
    }
    headerMode_ = static_cast<std::int8_t>(ModeOfMark(topMark_, '='));
    bodyMode_ = static_cast<std::int8_t>(ModeOfMark(bodyMark_, '-'));
    // The lines found are the lines of the header text when every one ended in
    // CR LF and the text stays as read (a mode-1 header is decoded first). An
    // empty line means nothing to the parser.
    const LineList lineList{found.at, headerLineCount};
    const LineList* knownLines =
        headerCrLf && headerLineCount <= kKeptLines && headerMode_ != kModeEncoded ? &lineList : nullptr;

    // The header text is its lines joined by CR LF. When they already stand so in
    // the block and the block's storage is kept, the header stays there.
    const std::string_view headerLines = blockText.substr(headerBegin, headerEnd - headerBegin);
    std::string header;
    if (headerCrLf) {
        const std::string_view joined = headerLines.substr(0, headerLines.size() > 2 ? headerLines.size() - 2 : 0);
        if (storage && !joined.empty()) {
            storage_ = storage;
            headerStored_ = true;
            headerData_ = joined.data();
            headerSize_ = static_cast<std::uint32_t>(joined.size());
        } else {
            header.assign(joined);
        }
    } else {
        ForEachLine(headerLines, [&](std::string_view line) {
            header.append(line);
            header.append(kCrLf);
        });
        if (header.size() > 2) header.resize(header.size() - 2);
        else header.clear();
    }

    // The header fields are packed first; a body that cannot stay in the storage
    // is copied once at the end.
    if (header.empty()) text_.clear();
    else text_.edit() = std::move(header);
    for (int i = 0; i < kHeaderText; ++i) end_[i] = 0;
    end_[kHeaderText] = static_cast<std::uint32_t>(text_.size());

    if (headerMode_ == kModeEncoded) {
        // Each line was encoded on its own; decoding ends every line with CR LF.
        std::string stored(HeaderText());
        stored.append(kCrLf);
        if (std::optional<std::string> plain = DecodeExactly(stored, kModeEncoded)) {
            if (plain->size() >= 2) plain->resize(plain->size() - 2);
            SetHeaderText(*plain);
            headerDecrypted_ = true;
        }
    }
    const std::string_view rest = blockText.substr(pos);
    const bool asStored = crlfText || IsCrLfText(rest);
    if (asStored && storage && !rest.empty()) {
        if (!storage_) storage_ = storage;
        bodyStored_ = true;
        bodyData_ = rest.data();
        bodySize_ = rest.size();
        if (headerMode_ != kModeEncrypted) ParseHeaderReserving(0, arena, knownLines, nullptr, memo);
        return;
    }
    // The parsed fields are packed with room for the body, so appending it below
    // moves nothing.
    if (headerMode_ != kModeEncrypted) ParseHeaderReserving(rest.size(), nullptr, knownLines, nullptr, memo);

    if (asStored) {
        std::string& text = text_.edit();
        text.reserve(text.size() + rest.size());
        text.append(rest);
    } else {
        std::string& text = text_.edit();
        text.reserve(text.size() + rest.size() + rest.size() / 8 + 2);
        ForEachLine(rest, [&](std::string_view line) {
            text.append(line);
            text.append(kCrLf);
        });
    }
}

void LogData::SetFields(int first, const std::string_view* values, int count, std::size_t extraCapacity,
                        TextArena* arena) {
    // The new fields, in order; the old ones are read before anything changes,
    // so that a value may even point into the old text.
    ViewSlots<kFieldCount - 1> slots;
    std::string_view* pieces = slots.at;
    std::size_t total = 0;
    const bool newHeader = kHeaderText >= first && kHeaderText < first + count;
    if (first == 0 && count >= kHeaderText) {
        // Every field before the header text is given, as a parse gives them.
        for (int id = 0; id < kHeaderText; ++id) {
            pieces[id] = values[id];
            total += values[id].size();
        }
        pieces[kHeaderText] = count > kHeaderText ? values[kHeaderText]
                              : headerStored_     ? std::string_view()
                                                  : Field(kHeaderText);
        total += pieces[kHeaderText].size();
    } else {
        for (int id = 0; id < kFieldCount - 1; ++id) {
            if (id >= first && id < first + count) pieces[id] = values[id - first];
            else if (id != kHeaderText || !headerStored_) pieces[id] = Field(id);
            else pieces[id] = {};
            total += pieces[id].size();
        }
    }
    std::uint32_t ends[kFieldCount - 1];
    auto pack = [&](char* out) {
        std::size_t at = 0;
        for (int id = 0; id < kFieldCount - 1; ++id) {
            CopyBytes(out + at, pieces[id].data(), pieces[id].size());
            at += pieces[id].size();
            ends[id] = static_cast<std::uint32_t>(at);
        }
    };
    if (arena && bodyStored_) {
        char* out = arena->Allocate(total);
        pack(out);
        fieldsData_ = out;
        text_.clear();
    } else {
        const std::string_view body = bodyStored_ ? std::string_view() : BodyText();
        std::string packed;
        packed.reserve(total + body.size() + extraCapacity);
        packed.resize(total);
        pack(packed.data());
        packed.append(body);
        text_.edit().swap(packed);
        fieldsData_ = nullptr;
    }
    std::copy(std::begin(ends), std::end(ends), std::begin(end_));
    if (newHeader) {
        headerStored_ = false;
        headerData_ = nullptr;
        headerSize_ = 0;
        if (!bodyStored_) storage_.reset();
    }
}

void LogData::SetHeaderText(std::string_view text) {
    // SetFields builds the new text before it lets go of the old, so text may
    // even point into text_.
    SetFields(kHeaderText, &text, 1);
}

void LogData::ParseHeader() { ParseHeaderReserving(0); }

void LogData::ParseHeaderReserving(std::size_t extraCapacity, TextArena* arena, const LineList* lines,
                                   const std::string* newHeader, HeaderLineMemo* memo) {
    // Fields accumulate over a second run, as the header parser always did.
    // A record parsed the first time has every field empty (each ends where
    // the one before does), and so have the texts built up here.
    const bool fieldsEmpty = end_[kHeaderText - 1] == 0;
    FieldText direction;
    std::array<FieldText, 5> lists;  // UserName, BracketName, GroupName, HostName, IpAddress
    FieldText attach;
    std::string_view year, month, day, weekDay, time, dateNote;
    if (!fieldsEmpty) {
        direction.assign(Direction());
        for (int i = 0; i < 5; ++i) lists[i].assign(Field(kUserName + i));
        attach.assign(AttachLine());
        year = Year();
        month = Month();
        day = Day();
        weekDay = WeekDay();
        time = Time();
        dateNote = DateNote();
    }
    FieldText& user = lists[0];
    FieldText& bracket = lists[1];
    FieldText& group = lists[2];
    FieldText& host = lists[3];
    FieldText& address = lists[4];
    // Date fields may point into the old text or into the last date line's
    // tokens; a token taken out of quotes needs a copy (seldom).
    std::unique_ptr<std::string[]> dateStore;
    DateTokenList tokens;

    auto addressPart = [&](std::string_view part) {
        // Only the first two, the last two and the count of "/"-separated parts matter.
        std::string_view first, second, beforeLast, last;
        std::size_t k = 0;
        std::size_t start = 0;
        while (true) {
            const std::size_t slash = FindByte(part, '/', start);
            const std::string_view piece =
                part.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
            ++k;
            if (k == 1) first = piece;
            if (k == 2) second = piece;
            beforeLast = last;
            last = piece;
            if (slash == std::string_view::npos) break;
            start = slash + 1;
        }
        if (k == 1) {
            host.append(first);
            return;
        }
        const bool ip = IsIpv4(last);
        if (k == 2) {
            if (ip) {
                host.append(first);
                address.append(last);
            } else {
                group.append(first);
                host.append(last);
            }
        } else if (k == 3) {
            if (ip) {
                group.append(first);
                host.append(second);
                address.append(last);
            } else {
                group.append(first);
                group.push_back('/');
                group.append(second);
                host.append(last);
            }
        } else {
            std::string tail = "/";
            if (ip) {
                tail.append(beforeLast);
                tail.push_back('/');
            }
            tail.append(last);
            group.append(Substring(part, 1, static_cast<long long>(Pos(tail, part)) - 1));
            host.append(ip ? beforeLast : last);
            if (ip) address.append(last);
        }
    };

    auto appendOrBlank = [](FieldText& field, std::string_view piece) {
        if (piece.empty()) field.append(kFullWidthSpace);
        else field.append(piece);
    };

    auto parseLine = [&](std::string_view line) {
        const LineMarks marks = ScanHeaderLine(line);
        if (marks.to || marks.from) {
            ++addresseeCount_;
            const long long n = static_cast<long long>(line.size());
            const long long c = static_cast<long long>(marks.colon);
            const long long b1 = static_cast<long long>(marks.open);
            const long long b2 = static_cast<long long>(marks.close);
            const long long p1 = static_cast<long long>(marks.lastParen);
            const long long p2 = static_cast<long long>(marks.lastCloseParen);
            direction.assign(Trim(Substring(line, 1, c)));
            const bool parens = p1 != 0 && p2 != 0 && p1 < p2;
            if (b1 == 0 && b2 == 0 && p1 == 0 && p2 == 0) {
                appendOrBlank(user, Substring(line, c + 1, n - c));
                for (int i = 1; i < 5; ++i) lists[i].append(kFullWidthSpace);
            } else if (!(b1 != 0 && b2 != 0) && parens) {
                appendOrBlank(user, Substring(line, c + 1, p1 - c - 1));
                bracket.append(kFullWidthSpace);
                addressPart(Substring(line, p1 + 1, p2 - p1 - 1));
            } else if (b1 != 0 && b2 != 0 && b1 < b2 && parens) {
                appendOrBlank(user, Substring(line, c + 1, b1 - c - 1));
                appendOrBlank(bracket, Substring(line, b1 + 1, b2 - b1 - 1));
                addressPart(Substring(line, p1 + 1, p2 - p1 - 1));
            } else {
                appendOrBlank(user, Substring(line, c + 1, n - c));
                for (int i = 1; i < 5; ++i) lists[i].append(kFullWidthSpace);
            }
            for (auto& f : lists) f.TrimEnds();
            if (!user.empty() && user.back() == '*') user.pop_back();
            for (auto& f : lists) f.push_back(',');
        } else if (marks.attach) {
            attach.append(line);
        } else if (marks.at) {
            tokens.Reset();
            DateTokens(line, tokens);
            if (tokens.count >= 6) {
                // A token taken out of quotes lives only as long as this line's
                // list: copy it. The others are views of the header text.
                auto keep = [&](std::size_t k) -> std::string_view {
                    if (!tokens.owned[k]) return tokens.token.at[k];
                    if (!dateStore) dateStore = std::make_unique<std::string[]>(6);
                    dateStore[k - 1].assign(tokens.token.at[k]);
                    return dateStore[k - 1];
                };
                weekDay = keep(1);
                month = keep(2);
                day = keep(3);
                time = keep(4);
                year = keep(5);
                if (tokens.count >= 7) dateNote = keep(6);
            }
        }
    };
    // Before the first addressee line every name list is empty: what such a line
    // gives depends on the line alone, and a line seen before is recalled.
    auto parseOrRecall = [&](std::string_view line) {
        if (!memo || !fieldsEmpty || addresseeCount_ != 0) {
            parseLine(line);
            return;
        }
        const std::uint64_t hash = HeaderLineMemo::Hash(line);
        if (const HeaderLineMemo::Fields* known = memo->Find(line, hash)) {
            ++addresseeCount_;
            direction.assign(known->text[0]);
            for (int i = 0; i < 5; ++i) lists[i].assign(known->text[i + 1]);
            return;
        }
        parseLine(line);
        if (addresseeCount_ == 1) {
            const std::string_view fields[6] = {direction.view(), user.view(),  bracket.view(),
                                                group.view(),     host.view(), address.view()};
            memo->Add(line, hash, fields);
        }
    };
    if (newHeader) {
        ForEachLine(*newHeader, parseOrRecall);
    } else if (lines) {
        for (std::size_t i = 0; i < lines->count; ++i) parseOrRecall(lines->line[i]);
    } else {
        ForEachLine(HeaderText(), parseOrRecall);
    }

    const std::string_view values[] = {direction.view(), user.view(),    bracket.view(), group.view(),
                                       host.view(),      address.view(), year,           month,
                                       day,              weekDay,        time,           attach.view(),
                                       dateNote,         newHeader ? std::string_view(*newHeader) : std::string_view()};
    SetFields(kDirection, values, newHeader ? kHeaderText + 1 : kHeaderText, extraCapacity, arena);
}

void LogData::OpenHeader(std::string_view password, TextArena* arena, HeaderLineMemo* memo) {
    if (headerMode_ != kModeEncrypted || headerDecrypted_) return;
    if (!password.empty()) SetKey(password);
    // Decrypted and parsed at once: the plain header and the fields are written together.
    if (std::optional<std::string> plain = DecodeExactly(HeaderText(), kModeEncrypted)) {
        headerDecrypted_ = true;
        ParseHeaderReserving(0, arena, nullptr, &*plain, memo);
    }
}

void LogData::OwnText() {
    if (!fieldsData_) return;
    text_.edit().assign(fieldsData_, end_[kHeaderText]);
    fieldsData_ = nullptr;
}

void LogData::OwnBody() {
    if (!bodyStored_) return;
    OwnText();
    std::string& text = text_.edit();
    text.reserve(text.size() + bodySize_);
    text.append(bodyData_, bodySize_);
    bodyStored_ = false;
    bodyData_ = nullptr;
    bodySize_ = 0;
    if (!headerStored_) storage_.reset();
}

void LogData::AppendBody(std::string_view text) {
    OwnBody();
    text_.edit().append(text);
}

void LogData::TruncateBody(std::size_t length) {
    if (bodyStored_) {
        bodySize_ = std::min(bodySize_, length);
        return;
    }
    const std::size_t start = end_[kHeaderText];
    if (start + length < text_.size()) text_.edit().resize(start + length);
}

std::string LogData::TopSeparator() const {
    if (!hasTop_) return {};
    return std::string(kTopRun) + topMark_;
}

std::string LogData::BodySeparator() const {
    if (!hasBody_) return {};
    return std::string(kBodyRun) + bodyMark_;
}

int LogData::MonthIndex() const {
    const std::string_view m = Month();
    if (m.size() != 3) return 1;
    // The three letters as one number.
    const std::uint32_t code = static_cast<std::uint32_t>(static_cast<unsigned char>(m[0])) << 16 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(m[1])) << 8 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(m[2]));
    constexpr auto name = [](const char (&n)[4]) {
        return static_cast<std::uint32_t>(n[0]) << 16 | static_cast<std::uint32_t>(n[1]) << 8 |
               static_cast<std::uint32_t>(n[2]);
    };
    switch (code) {
    case name("Jan"): return 1;
    case name("Feb"): return 2;
    case name("Mar"): return 3;
    case name("Apr"): return 4;
    case name("May"): return 5;
    case name("Jun"): return 6;
    case name("Jul"): return 7;
    case name("Aug"): return 8;
    case name("Sep"): return 9;
    case name("Oct"): return 10;
    case name("Nov"): return 11;
    case name("Dec"): return 12;
    default: return 1;
    }
}

std::string LogData::MonthNumber() const {
    const int i = MonthIndex();
    const char buf[3] = {static_cast<char>('0' + i / 10), static_cast<char>('0' + i % 10), 0};
    return buf;
}

std::string LogData::DateString(bool monthFirst) const {
    std::string out;
    if (monthFirst) {
        out = MonthNumber();
        out += '/';
        out += Day();
        out += '/';
        out += Year();
    } else {
        out = std::string(Year());
        out += '/';
        out += MonthNumber();
        out += '/';
        out += Day();
    }
    return out;
}

std::string LogData::HeaderBlock() const {
    std::string out = TopSeparator();
    out += kCrLf;
    out += HeaderText();
    out += kCrLf;
    out += BodySeparator();
    out += kCrLf;
    return out;
}

const std::string& LogData::CipherKey() const {
    static const std::string none;
    return cipherKey_ ? *cipherKey_ : none;
}

void LogData::SetKey(std::string_view password) {
    // The key is the password and a fixed suffix; records read or written under
    // one password share one copy of it.
    auto isKeyOf = [password](const std::string& key) {
        return key.size() == password.size() + kKeySuffix.size() && key.starts_with(password) &&
               key.ends_with(kKeySuffix);
    };
    if (cipherKey_ && isKeyOf(*cipherKey_)) return;
    thread_local std::shared_ptr<const std::string> last;
    if (!last || !isKeyOf(*last)) last = std::make_shared<const std::string>(MakeCipherKey(password));
    cipherKey_ = last;
}

std::string LogData::DecodeText(std::string_view text, int mode) {
    bool ok = passwordOk_;
    std::string r = qx::DecodeText(text, mode, Key(), ok);
    if (mode == kModeEncrypted) passwordOk_ = ok;
    return r;
}

std::string LogData::EncodeText(std::string_view text, int fromMode, int toMode) {
    bool ok = passwordOk_;
    std::string r = qx::EncodeText(text, fromMode, toMode, Key(), ok);
    passwordOk_ = ok;
    return r;
}

std::string LogData::EncryptText(std::string_view text) const { return qx::EncryptText(text, Key()); }

std::string LogData::DecryptText(std::string_view text) {
    bool ok = false;
    std::string r = qx::DecryptText(text, Key(), ok);
    passwordOk_ = ok;
    return r;
}

std::string_view LogData::DecryptHeader(int mode, std::string_view password) {
    if (!password.empty()) SetKey(password);
    if (mode != kModeEncrypted) {
        SetHeaderText(DecodeText(HeaderText(), mode));
        return HeaderText();
    }
    if (headerDecrypted_) return HeaderText();
    // A header is replaced only by a text that encrypts back to what was stored,
    // so that a damaged header is never rewritten in a shortened form.
    if (std::optional<std::string> plain = DecodeExactly(HeaderText(), kModeEncrypted)) {
        SetHeaderText(*plain);
        headerDecrypted_ = true;
    }
    return HeaderText();
}

std::optional<std::string> LogData::DecodeExactly(std::string_view stored, int mode) {
    if (mode == kModeEncrypted) {
        bool exact = false;
        bool ok = passwordOk_;
        std::string plain = qx::DecryptText(stored, Key(), ok, &exact);
        passwordOk_ = ok;
        if (!ok || !exact) return std::nullopt;
        return plain;
    }
    std::string plain = DecodeText(stored, mode);
    if (mode == kModeEncoded) {
        bool ok = true;
        std::string again = qx::EncodeText(plain, kModePlain, kModeEncoded, Key(), ok);
        // Compare line by line: the stored text may end its lines with CR, LF or CR LF.
        if (SplitLines(again) != SplitLines(stored)) return std::nullopt;
    }
    return plain;
}

std::string LogData::PlainBody(std::string_view password) {
    if (!password.empty()) SetKey(password);
    return DecodeText(BodyText(), bodyMode_);
}

void LogData::AppendPlainBody(std::string& out, std::string_view password) {
    if (bodyMode_ == kModeEncrypted) {
        if (!password.empty()) SetKey(password);
        bool ok = passwordOk_;
        qx::DecryptTextAppend(BodyText(), Key(), ok, out);
        passwordOk_ = ok;
    } else if (bodyMode_ == kModeEncoded) {
        out += PlainBody(password);
    } else {
        if (!password.empty()) SetKey(password);
        out += BodyText();
    }
}

std::string LogData::PreviewLine(std::string_view password, std::string_view skipPrefix) {
    SetKey(password);
    std::string decoded;
    std::string_view t = BodyText();
    if (bodyMode_ != kModePlain) {
        decoded = DecodeText(t, bodyMode_);
        t = decoded;
    }
    std::string_view result;
    bool found = false;
    ForEachLine(t, [&](std::string_view line) {
        if (found) return;
        if (skipPrefix.empty() || line.substr(0, skipPrefix.size()) != skipPrefix) {
            result = line;
            found = true;
        }
    });
    return std::string(result);
}

std::string LogData::SaveHeaderBlock(int headerMode, int bodyMode, std::string_view password) {
    std::string out;
    AppendHeaderBlock(out, headerMode, bodyMode, password);
    return out;
}

void LogData::AppendHeaderBlock(std::string& out, int headerMode, int bodyMode, std::string_view password) {
    SetKey(password);
    if (HeaderEncrypted()) {
        // Cipher text that no known password opens: keep it and its mark.
        out += TopSeparator();
        out += kCrLf;
        out += HeaderText();
        out += kCrLf;
    } else {
        // A header the mode cannot carry whole stays plain rather than lose bytes.
        if (headerMode != kModePlain && !qx::EncodesExactly(HeaderText(), headerMode)) headerMode = kModePlain;
        out += kTopRun;
        out += MarkOfMode(headerMode, '=');
        out += kCrLf;
        if (headerMode != kModePlain) {
            out += EncodeText(HeaderText(), kModePlain, headerMode);
        } else {
            out += HeaderText();
            out += kCrLf;
        }
    }
    out += kBodyRun;
    out += MarkOfMode(bodyMode, '-');
    out += kCrLf;
}

std::string LogData::SaveBody(int toMode, std::string_view password, int* writtenMode) {
    if (!password.empty()) SetKey(password);
    if (toMode != kModeEncoded && toMode != kModeEncrypted) toMode = kModePlain;
    int mode = toMode;
    std::string out;
    if ((bodyMode_ == kModeEncrypted || bodyMode_ == kModeEncoded) && toMode != bodyMode_) {
        // Text that does not decode back to exactly what was stored (a wrong
        // password, a damaged or foreign encoding) is written as it was read.
        std::optional<std::string> plain = DecodeExactly(BodyText(), bodyMode_);
        if (!plain) {
            out = std::string(BodyText());
            mode = bodyMode_;
        } else if (toMode == kModePlain || !qx::EncodesExactly(*plain, toMode)) {
            // A text the mode cannot carry whole is written plain rather than cut.
            out = std::move(*plain);
            mode = kModePlain;
        } else {
            bool ok = true;
            out = qx::EncodeText(*plain, kModePlain, toMode, Key(), ok);
        }
    } else if (toMode != kModePlain && bodyMode_ == kModePlain && !qx::EncodesExactly(BodyText(), toMode)) {
        out = std::string(BodyText());
        mode = kModePlain;
    } else if (toMode != kModePlain) {
        out = EncodeText(BodyText(), bodyMode_, toMode);
    } else {
        out = DecodeText(BodyText(), bodyMode_);
    }
    if (writtenMode) *writtenMode = mode;
    return out;
}

}  // namespace qx
