#include "compose/tiff_layout.h"

#include <algorithm>
#include <cstring>

namespace vendaro {
namespace {

enum Tag : std::uint16_t {
  kWidth = 256,
  kHeight = 257,
  kBitsPerSample = 258,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kTileWidth = 322,
  kTileLength = 323,
};

class TiffHeader {
 public:
  explicit TiffHeader(const InputFile& file) : file_(file) {}

  // Reads the first directory's entries that matter; false when it cannot.
  bool Read() {
    std::uint8_t head[16];
    if (file_.ReadAt(head, sizeof head, 0) != std::int64_t{sizeof head}) return false;
    little_ = head[0] == 'I';
    big_ = Number(head + 2, 2) == 43;
    std::uint64_t at = big_ ? Number(head + 8, 8) : Number(head + 4, 4);
    std::uint8_t count[8];
    if (file_.ReadAt(count, 8, std::int64_t(at)) != 8) return false;
    const std::uint64_t entries = big_ ? Number(count, 8) : Number(count, 2);
    const std::size_t entrySize = big_ ? 20 : 12;
    at += big_ ? 8 : 2;
    // A directory lists its tags in order; those wanted come early.
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(entries, 64); ++i) {
      std::uint8_t entry[20];
      if (file_.ReadAt(entry, entrySize, std::int64_t(at + i * entrySize)) !=
          std::int64_t(entrySize))
        return false;
      Take(entry);
    }
    return width > 0 && height > 0;
  }

  std::uint64_t width = 0, height = 0, bits = 8, samples = 1, rowsPerStrip = 0;
  std::uint64_t tileWidth = 0, tileLength = 0;

 private:
  std::uint64_t Number(const std::uint8_t* p, int size) const {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value |= std::uint64_t(p[little_ ? i : size - 1 - i]) << (8 * i);
    return value;
  }

  // The entry's first value, in the entry itself or where it points.
  std::uint64_t FirstValue(const std::uint8_t* entry) const {
    const int size = Number(entry + 2, 2) == 3 ? 2 : 4;  // SHORT or LONG
    const std::uint64_t count = big_ ? Number(entry + 4, 8) : Number(entry + 4, 4);
    const std::uint8_t* field = entry + (big_ ? 12 : 8);
    if (count * std::uint64_t(size) <= (big_ ? 8u : 4u)) return Number(field, size);
    std::uint8_t value[4];
    const std::uint64_t at = big_ ? Number(field, 8) : Number(field, 4);
    if (file_.ReadAt(value, std::size_t(size), std::int64_t(at)) != size) return 0;
    return Number(value, size);
  }

  void Take(const std::uint8_t* entry) {
    const std::uint64_t value = FirstValue(entry);
    switch (Number(entry, 2)) {
      case kWidth:
        width = value;
        break;
      case kHeight:
        height = value;
        break;
      case kBitsPerSample:
        bits = value;
        break;
      case kSamplesPerPixel:
        samples = value;
        break;
      case kRowsPerStrip:
        rowsPerStrip = value;
        break;
      case kTileWidth:
        tileWidth = value;
        break;
      case kTileLength:
        tileLength = value;
        break;
      default:
        break;
    }
  }

  const InputFile& file_;
  bool little_ = true;
  bool big_ = false;
};

}  // namespace

std::int64_t TiffBandBytes(const InputFile& file) {
  TiffHeader tiff(file);
  if (!tiff.Read()) return 0;
  // Every field a forged header may set to 2^32 - 1: capped so that the
  // product stays in 64 bits and still counts as too much.
  const auto capped = [](std::uint64_t v, std::uint64_t most) {
    return std::int64_t(std::min(v, most));
  };
  const std::int64_t pixelBytes =
      capped(tiff.samples, 1024) * std::max<std::int64_t>(1, (capped(tiff.bits, 1024) + 7) / 8);
  const std::uint64_t kMost = 1 << 20;
  if (tiff.tileWidth > 0 && tiff.tileLength > 0) {
    const std::int64_t tileWidth = capped(tiff.tileWidth, kMost);
    const std::int64_t tiles = (capped(tiff.width, kMost) + tileWidth - 1) / tileWidth;
    return tiles * tileWidth * capped(tiff.tileLength, kMost) * pixelBytes;
  }
  const std::uint64_t rows =
      tiff.rowsPerStrip == 0 ? tiff.height : std::min(tiff.rowsPerStrip, tiff.height);
  return capped(tiff.width, kMost) * capped(rows, kMost) * pixelBytes;
}

}  // namespace vendaro
