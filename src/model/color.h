#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vendaro {

// A 32-bit colour value.  High byte 0: red, green, blue in the low three
// bytes (red lowest).  High byte 0xFF: the system colour whose index is the
// low byte.  0x1FFFFFFF is clNone, 0x20000000 clDefault.
using ColorValue = std::uint32_t;

inline constexpr ColorValue kClBackground = 0xFF000001u;

constexpr ColorValue Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return ColorValue(r) | (ColorValue(g) << 8) | (ColorValue(b) << 16);
}
constexpr std::uint8_t RedOf(ColorValue c) {
  return c & 0xFF;
}
constexpr std::uint8_t GreenOf(ColorValue c) {
  return (c >> 8) & 0xFF;
}
constexpr std::uint8_t BlueOf(ColorValue c) {
  return (c >> 16) & 0xFF;
}
constexpr bool IsSystemColor(ColorValue c) {
  return (c >> 24) == 0xFF;
}

// A colour name from the table, or "$" and eight upper-case hex digits.
std::string ColorToString(ColorValue value);

// A name (case-insensitive) or a number (decimal, "$" or "0x" hex); nothing
// when the text is neither.
std::optional<ColorValue> StringToColor(std::string_view text);

// Each of red, green and blue lowered by 6, modulo 256 (striped rows).
ColorValue DarkenBy6(ColorValue value);

}  // namespace vendaro
