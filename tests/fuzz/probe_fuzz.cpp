// The header probe: a size or a reason, never more.
#include "compose/probe.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const auto probed = ProbePicture(fuzz::WriteFile("picture", fuzz::Text(data, size)));
  if (probed && (probed->width < 0 || probed->height < 0)) fuzz::Fail("negative size");
  if (!probed && probed.message().empty()) fuzz::Fail("no reason");
  return 0;
}
