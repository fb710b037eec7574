// Value types of the settings file: integers, quoted texts and colours.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qx {

// A 32-bit signed decimal with an optional sign, or, for a text longer than two
// characters that starts with "0x" or "0X", up to 32 bits of hexadecimal digits
// (taken as the two's-complement value). Nothing for any other text.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// Removes one pair of enclosing double quotes from a text longer than one
// character; any other text comes back unchanged.
std::string Unquote(std::string_view text);

// The text between double quotes, so that leading and trailing blanks survive.
std::string Quote(std::string_view text);

// Colours are 32-bit values 00BBGGRR; names and system colour entries as the
// colour boxes produce them.
using ColourValue = std::uint32_t;

struct ColourName {
    std::string_view name;
    ColourValue value;
};

// Every colour known by name: the sixteen standard colours, the four extended
// ones, "clNone", "clDefault" and the system colours (0x80000000 + index).
std::span<const ColourName> ColourNames();

// The name of a colour value; nothing when the value has none.
std::optional<std::string_view> ColourNameOf(ColourValue value);

// A colour name (letter case ignored), "$" followed by one to eight hexadecimal
// digits, or an integer as ParseIniInteger reads it. Nothing for any other text.
std::optional<ColourValue> ParseColour(std::string_view text);

// The name when the value has one, else "$" and eight upper-case hex digits.
std::string ColourToText(ColourValue value);

}  // namespace qx
