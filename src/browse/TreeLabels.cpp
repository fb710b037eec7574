#include "browse/TreeLabels.h"

#include <string>

#include "browse/BrowseTypes.h"
#include "text/Cp932.h"

namespace qx {

std::string DayLabel(const LogData& record) {
    std::string out(record.Day());
    out += '(';
    out += record.WeekDay();
    out += ')';
    return out;
}

std::string HostUserLabel(std::string_view host, std::string_view user) {
    std::string out(host);
    out += '[';
    out += user;
    out += ']';
    return out;
}

std::string_view HostPart(std::string_view label) {
    const std::size_t p = Pos("[", label);
    return p == 0 ? label : label.substr(0, p - 1);
}

std::string CountedLabel(std::string_view label, int count, std::string_view countUnit) {
    std::string out(label);
    out += " (";
    out += std::to_string(count);
    out += countUnit;
    out += ')';
    return out;
}

std::string BareLabel(std::string_view label, bool plain, int treeKey, std::string_view countUnit) {
    if (!plain && IsHostKey(treeKey)) label = HostPart(label);
    if (countUnit.empty() || Pos(countUnit, label) == 0) return std::string(label);
    // From the digits of the count back to the "(" in front of them.
    long long p =
        static_cast<long long>(label.size()) - static_cast<long long>(countUnit.size()) - 2;
    while (p > 1 && label[static_cast<std::size_t>(p - 1)] != '(') --p;
    if (p < 2) return std::string(label);
    return std::string(label.substr(0, static_cast<std::size_t>(p - 2)));
}

std::string_view SearchForm(std::string_view bareLabel, int treeKey) {
    return IsHostKey(treeKey) ? HostPart(bareLabel) : bareLabel;
}

namespace {

unsigned char FoldAt(std::string_view s, std::size_t i, bool trail) {
    const auto c = static_cast<unsigned char>(s[i]);
    return (!trail && c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

int CompareLabels(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    int caseTie = 0;
    bool trail = false;  // a and b agree up to i, so one flag serves both
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char fa = FoldAt(a, i, trail);
        const unsigned char fb = FoldAt(b, i, trail);
        if (fa != fb) return fa < fb ? -1 : 1;
        if (caseTie == 0 && a[i] != b[i]) {
            // Same letter, different case: the lower-case one goes first.
            caseTie = (a[i] >= 'a' && a[i] <= 'z') ? -1 : 1;
        }
        trail = !trail && IsLeadByte(static_cast<unsigned char>(a[i]));
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return caseTie;
}

int CompareDayLabels(std::string_view a, std::string_view b) {
    auto number = [](std::string_view label) {
        int n = 0;
        for (std::size_t i = 0; i < label.size() && i < 4 && label[i] >= '0' && label[i] <= '9'; ++i) {
            n = n * 10 + (label[i] - '0');
        }
        return n;
    };
    const int x = number(a), y = number(b);
    if (x != y) return x < y ? -1 : 1;
    return CompareLabels(a, b);
}

}  // namespace qx
