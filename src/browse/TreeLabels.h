// Texts of tree node labels: how they are made, stripped and ordered.
#pragma once

#include <string>
#include <string_view>

#include "logstore/LogData.h"

namespace qx {

// The label of a day node: Day "(" WeekDay ")", e.g. "5(Mon)".
std::string DayLabel(const LogData& record);

// The label of a host node: host "[" user "]".
std::string HostUserLabel(std::string_view host, std::string_view user);

// The text before the first "[" (the whole text when there is none).
std::string_view HostPart(std::string_view label);

// A leaf label with its count: label " (" count unit ")".
std::string CountedLabel(std::string_view label, int count, std::string_view countUnit);

// The label without its count suffix " (<n><unit>)"; with plain false, under the
// host keys, further cut to its host part (the form the index is keyed by). An
// empty unit recognises no suffix.
std::string BareLabel(std::string_view label, bool plain, int treeKey, std::string_view countUnit);

// The search form of a label that carries no count: its host part under the host
// keys, the label itself otherwise.
std::string_view SearchForm(std::string_view bareLabel, int treeKey);

// Order of sibling labels. Labels compare as text, the way the desktop's locale
// comparison orders them, never by the value of a digit run: "10(Wed)" sorts
// before "9(Tue)", "15" before "5". ASCII letters compare without regard to case
// first, and only labels that differ in nothing but case are ordered by it, lower
// case first ("alice" < "Alice" < "bob"). All other bytes, cp932 characters
// included, compare by their value. Returns <0, 0 or >0.
int CompareLabels(std::string_view a, std::string_view b);
// Day labels ("9(Tue)", "10(Wed)") in calendar order: by the day's number
// first, then as text.
int CompareDayLabels(std::string_view a, std::string_view b);

}  // namespace qx
