#include "logstore/LogData.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "crypto/ProtectedText.h"
#include "logstore/HeaderLine.h"
#include "logstore/RecordBytes.h"
#include "logstore/TextArena.h"
#include "text/Cp932.h"
#include "text/TextHash.h"

namespace qx {

using namespace detail;

namespace {

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

// The fields of a header as its lines are read: direction, the five name lists
// (UserName, BracketName, GroupName, HostName, IpAddress), the attachment line
// and the date. Date fields may point into the header text or, for a token
// taken out of quotes, into dateStore.
struct HeaderFields {
    FieldText direction;
    std::array<FieldText, 5> lists;
    FieldText attach;
    std::string_view year, month, day, weekDay, time, dateNote;
    std::unique_ptr<std::string[]> dateStore;
    DateTokenList tokens;

    FieldText& user() { return lists[0]; }
    FieldText& bracket() { return lists[1]; }
    FieldText& group() { return lists[2]; }
    FieldText& host() { return lists[3]; }
    FieldText& address() { return lists[4]; }

    void AddressPart(std::string_view part);
    void AddresseeLine(std::string_view line, const LineMarks& marks);
    void DateLine(std::string_view line);
    // One header line; true when it was an addressee line.
    bool Line(std::string_view line) {
        const LineMarks marks = ScanHeaderLine(line);
        if (marks.to || marks.from) {
            AddresseeLine(line, marks);
            return true;
        }
        if (marks.attach) {
            attach.append(line);
        } else if (marks.at) {
            DateLine(line);
        }
        return false;
    }
};

void HeaderFields::AddressPart(std::string_view part) {
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
        host().append(first);
        return;
    }
    const bool ip = IsIpv4(last);
    if (k == 2) {
        if (ip) {
            host().append(first);
            address().append(last);
        } else {
            group().append(first);
            host().append(last);
        }
    } else if (k == 3) {
        if (ip) {
            group().append(first);
            host().append(second);
            address().append(last);
        } else {
            group().append(first);
            group().push_back('/');
            group().append(second);
            host().append(last);
        }
    } else {
        std::string tail = "/";
        if (ip) {
            tail.append(beforeLast);
            tail.push_back('/');
        }
        tail.append(last);
        group().append(Substring(part, 1, static_cast<long long>(Pos(tail, part)) - 1));
        host().append(ip ? beforeLast : last);
        if (ip) address().append(last);
    }
}

void AppendOrBlank(FieldText& field, std::string_view piece) {
    if (piece.empty()) field.append(kFullWidthSpace);
    else field.append(piece);
}

void HeaderFields::AddresseeLine(std::string_view line, const LineMarks& marks) {
    const long long n = static_cast<long long>(line.size());
    const long long c = static_cast<long long>(marks.colon);
    const long long b1 = static_cast<long long>(marks.open);
    const long long b2 = static_cast<long long>(marks.close);
    const long long p1 = static_cast<long long>(marks.lastParen);
    const long long p2 = static_cast<long long>(marks.lastCloseParen);
    direction.assign(Trim(Substring(line, 1, c)));
    const bool parens = p1 != 0 && p2 != 0 && p1 < p2;
    if (b1 == 0 && b2 == 0 && p1 == 0 && p2 == 0) {
        AppendOrBlank(user(), Substring(line, c + 1, n - c));
        for (int i = 1; i < 5; ++i) lists[i].append(kFullWidthSpace);
    } else if (!(b1 != 0 && b2 != 0) && parens) {
        AppendOrBlank(user(), Substring(line, c + 1, p1 - c - 1));
        bracket().append(kFullWidthSpace);
        AddressPart(Substring(line, p1 + 1, p2 - p1 - 1));
    } else if (b1 != 0 && b2 != 0 && b1 < b2 && parens) {
        AppendOrBlank(user(), Substring(line, c + 1, b1 - c - 1));
        AppendOrBlank(bracket(), Substring(line, b1 + 1, b2 - b1 - 1));
        AddressPart(Substring(line, p1 + 1, p2 - p1 - 1));
    } else {
        AppendOrBlank(user(), Substring(line, c + 1, n - c));
        for (int i = 1; i < 5; ++i) lists[i].append(kFullWidthSpace);
    }
    for (auto& f : lists) f.TrimEnds();
    if (!user().empty() && user().back() == '*') user().pop_back();
    for (auto& f : lists) f.push_back(',');
}

void HeaderFields::DateLine(std::string_view line) {
    tokens.Reset();
    DateTokens(line, tokens);
    if (tokens.count < 6) return;
    // A token taken out of quotes lives only as long as this line's list: copy
    // it. The others are views of the header text.
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

}  // namespace

void LogData::ParseHeader() { ParseHeaderReserving(0); }

void LogData::ParseHeaderReserving(std::size_t extraCapacity, TextArena* arena, const LineList* lines,
                                   const std::string* newHeader, HeaderLineMemo* memo) {
    // Fields accumulate over a second run, as the header parser always did.
    // A record parsed the first time has every field empty (each ends where
    // the one before does), and so have the texts built up here.
    const bool fieldsEmpty = end_[kHeaderText - 1] == 0;
    HeaderFields h;
    if (!fieldsEmpty) {
        h.direction.assign(Direction());
        for (int i = 0; i < 5; ++i) h.lists[i].assign(Field(kUserName + i));
        h.attach.assign(AttachLine());
        h.year = Year();
        h.month = Month();
        h.day = Day();
        h.weekDay = WeekDay();
        h.time = Time();
        h.dateNote = DateNote();
    }
    // Before the first addressee line every name list is empty: what such a line
    // gives depends on the line alone, and a line seen before is recalled.
    auto parseOrRecall = [&](std::string_view line) {
        if (!memo || !fieldsEmpty || addresseeCount_ != 0) {
            if (h.Line(line)) ++addresseeCount_;
            return;
        }
        const std::uint64_t hash = HeaderLineMemo::Hash(line);
        if (const HeaderLineMemo::Fields* known = memo->Find(line, hash)) {
            ++addresseeCount_;
            h.direction.assign(known->text[0]);
            for (int i = 0; i < 5; ++i) h.lists[i].assign(known->text[i + 1]);
            return;
        }
        if (h.Line(line)) ++addresseeCount_;
        if (addresseeCount_ == 1) {
            const std::string_view fields[6] = {h.direction.view(), h.user().view(), h.bracket().view(),
                                                h.group().view(),   h.host().view(), h.address().view()};
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

    const std::string_view values[] = {h.direction.view(), h.user().view(),    h.bracket().view(), h.group().view(),
                                       h.host().view(),    h.address().view(), h.year,             h.month,
                                       h.day,              h.weekDay,          h.time,             h.attach.view(),
                                       h.dateNote,
                                       newHeader ? std::string_view(*newHeader) : std::string_view()};
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

}  // namespace qx
