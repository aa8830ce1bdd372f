// Colours read back from Plasma's configuration.
#include "fuzz_support.h"
#include "platform/desktops/kde/kde_desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)vendaro::ParsePlasmaColor(std::string(vendaro::fuzz::Text(data, size)));
  return 0;
}
