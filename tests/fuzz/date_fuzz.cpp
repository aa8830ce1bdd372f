// Dates in the locale's short format: what parses writes back to itself.
#include "fuzz_support.h"
#include "model/local_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const auto date = ParseShortDate(fuzz::Text(data, size));
  if (date && ParseShortDate(FormatShortDate(*date)) != date) fuzz::Fail("round trip");
  return 0;
}
