#include "model/polish_plural.h"

namespace vendaro {

std::string PolishPlural(long n, const char* one, const char* few, const char* many) {
  // Negate in unsigned arithmetic so the most negative long does not overflow.
  const unsigned long magnitude =
      n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
  if (magnitude == 1) return one;
  const unsigned long units = magnitude % 10;
  const unsigned long tens = magnitude % 100 / 10;
  if (units >= 2 && units <= 4 && tens != 1) return few;
  return many;
}

}  // namespace vendaro
