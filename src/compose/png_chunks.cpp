#include "compose/png_chunks.h"

#include <cstdint>
#include <string_view>

namespace vendaro {
namespace {

std::uint32_t Be32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Qt's reading holds several times an ancillary chunk's size while libpng
// skips it (300 MB and 1.7 s for a text chunk of 50 MB): beyond the first
// bound the picture library reads the picture instead.  Beyond the second
// no real picture goes: colour profiles and metadata take kilobytes.
constexpr std::uint32_t kLargeAncillary = 1u << 20;
constexpr std::uint32_t kMostAncillary = 16u << 20;

}  // namespace

PngChunks WalkPngChunks(const InputFile& file) {
  const std::int64_t size = file.size();
  PngChunks found = PngChunks::Plain;
  bool pixelsSeen = false;
  std::uint8_t header[8];
  for (std::int64_t at = 8; at + 8 <= size;) {
    if (file.ReadAt(header, sizeof header, at) != std::int64_t{sizeof header})
      return PngChunks::BeyondTheFile;
    const std::uint32_t length = Be32(header);
    if (length > 0x7FFFFFFFu || std::int64_t{length} + 12 > size - at)
      return PngChunks::BeyondTheFile;
    const std::string_view type(reinterpret_cast<const char*>(header + 4), 4);
    if ((header[4] & 0x20) != 0) {  // ancillary
      if (length > kMostAncillary) return PngChunks::Oversized;
      if (length > kLargeAncillary) found = PngChunks::LargeAncillary;
    }
    if (type == "eXIf" && !pixelsSeen && found == PngChunks::Plain) found = PngChunks::Oriented;
    if (type == "IDAT") pixelsSeen = true;
    if (type == "IEND") break;
    at += std::int64_t{length} + 12;
  }
  return found;
}

}  // namespace vendaro
