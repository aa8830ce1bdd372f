// The JPEG row reader, at the shrink the first byte chooses, skipping and
// reading rows until the picture ends or fails.
#include <vector>

#include "compose/jpeg_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  if (size < 1) return 0;
  const int shrink = 1 << (data[0] & 3);
  JpegReader reader;
  if (!reader.Open(fuzz::WriteFile("picture.jpg", fuzz::Text(data + 1, size - 1)))) return 0;
  if (!reader.givesRgb() || !reader.drawable(4096LL * 4096LL)) return 0;
  if (!reader.Start(shrink)) return 0;
  std::vector<std::uint8_t> row(std::size_t(reader.outputWidth()) * 3);
  for (int y = 0; y < reader.outputHeight(); ++y) {
    const bool ok = y % 3 == 1 ? reader.SkipRows(1).ok() : reader.ReadRow(row.data()).ok();
    if (!ok) break;
  }
  return 0;
}
