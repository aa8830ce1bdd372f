#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vendaro {

// Names in the settings file match without regard to ASCII letter case.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Leading and trailing spaces and tabs removed.
std::string_view TrimBlanks(std::string_view text);

// A 32-bit integer as the settings file writes it: optional leading blanks,
// an optional sign, then decimal digits or "$", "0x", "0X" and hexadecimal
// digits.  Hexadecimal covers the whole 32 bits (so "$FFFFFFFF" is -1);
// decimal must fit the signed range.  Anything else gives nothing.
std::optional<std::int32_t> ParseInteger(std::string_view text);

}  // namespace vendaro
