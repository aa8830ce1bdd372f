// EXIF blocks: an orientation from 1 to 8 whatever the bytes.
#include "compose/jpeg_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int orientation = vendaro::ExifOrientation(data, size);
  if (orientation < 1 || orientation > 8) vendaro::fuzz::Fail("orientation out of range");
  return 0;
}
