#include "compose/png_chunks.h"

#include <zlib.h>

#include <cstdint>
#include <string_view>
#include <vector>

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

// The most that a picture's compressed text may unpack to, all chunks
// together: an XMP packet or a comment takes kilobytes.
constexpr std::int64_t kMostText = kMostAncillary;

// Where the compressed part of a text chunk of `length` bytes starts, or 0
// when the chunk stores its text as it is.  zTXt: keyword, NUL, method;
// iTXt: keyword, NUL, flag, method, language, NUL, translated keyword, NUL.
std::size_t CompressedStart(std::string_view type, const std::vector<std::uint8_t>& data) {
  const auto nul = [&data](std::size_t from) {
    for (std::size_t i = from; i < data.size(); ++i)
      if (data[i] == 0) return i;
    return data.size();
  };
  const std::size_t keyword = nul(0);
  if (type == "zTXt") return keyword + 2 < data.size() ? keyword + 2 : 0;
  if (keyword + 2 >= data.size() || data[keyword + 1] == 0) return 0;
  const std::size_t translated = nul(nul(keyword + 3) + 1);
  return translated + 1 < data.size() ? translated + 1 : 0;
}

// How many bytes `compressed` unpacks to, counted up to `most` (more means
// too much); a damaged stream counts what it gave.
std::int64_t UnpackedSize(const std::uint8_t* compressed, std::size_t size, std::int64_t most) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return 0;
  stream.next_in = const_cast<Bytef*>(compressed);
  stream.avail_in = uInt(size);
  std::uint8_t out[16384];
  std::int64_t total = 0;
  int result = Z_OK;
  while (result == Z_OK && total <= most) {
    stream.next_out = out;
    stream.avail_out = sizeof out;
    result = inflate(&stream, Z_NO_FLUSH);
    total += std::int64_t(sizeof out - stream.avail_out);
    if (result == Z_BUF_ERROR || (result == Z_OK && stream.avail_out == sizeof out)) break;
  }
  inflateEnd(&stream);
  return total;
}

// Adds the unpacked size of the text chunk at `at` to `text`.
bool CountText(const InputFile& file, std::int64_t at, std::uint32_t length, std::string_view type,
               std::int64_t& text) {
  std::vector<std::uint8_t> data(length);
  if (file.ReadAt(data.data(), length, at + 8) != std::int64_t{length}) return false;
  const std::size_t start = CompressedStart(type, data);
  if (start == 0) return true;
  text += UnpackedSize(data.data() + start, data.size() - start, kMostText - text);
  return true;
}

}  // namespace

PngChunks WalkPngChunks(const InputFile& file) {
  const std::int64_t size = file.size();
  PngChunks found = PngChunks::Plain;
  bool pixelsSeen = false;
  std::int64_t text = 0;
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
    if (type == "zTXt" || type == "iTXt") {
      if (!CountText(file, at, length, type, text)) return PngChunks::BeyondTheFile;
      if (text > kMostText) return PngChunks::TextTooLarge;
    }
    if (type == "eXIf" && !pixelsSeen && found == PngChunks::Plain) found = PngChunks::Oriented;
    if (type == "IDAT") pixelsSeen = true;
    if (type == "IEND") break;
    at += std::int64_t{length} + 12;
  }
  return found;
}

}  // namespace vendaro
