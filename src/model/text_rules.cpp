#include "model/text_rules.h"

namespace vendaro {
namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int DigitValue(char c, int base) {
  int v = 99;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

// The magnitude of the digits, or nothing when a character is not a digit
// or the value passes `limit`.
std::optional<std::uint64_t> ParseDigits(std::string_view digits, int base, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = DigitValue(c, base);
    if (d < 0) return std::nullopt;
    value = value * unsigned(base) + unsigned(d);
    if (value > limit) return std::nullopt;
  }
  return value;
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::optional<std::uint64_t> magnitude;
  if (text.starts_with('$')) {
    magnitude = ParseDigits(text.substr(1), 16, 0xFFFFFFFFu);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    magnitude = ParseDigits(text.substr(2), 16, 0xFFFFFFFFu);
  } else {
    magnitude = ParseDigits(text, 10, negative ? 0x80000000u : 0x7FFFFFFFu);
  }
  if (!magnitude) return std::nullopt;
  const std::uint32_t bits = static_cast<std::uint32_t>(*magnitude);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

}  // namespace vendaro
