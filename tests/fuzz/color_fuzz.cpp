// Colour text of the settings file: what parses writes back to itself.
#include "fuzz_support.h"
#include "model/color.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const auto color = StringToColor(fuzz::Text(data, size));
  if (color && StringToColor(ColorToString(*color)) != color) fuzz::Fail("round trip");
  return 0;
}
