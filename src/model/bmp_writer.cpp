#include "model/bmp_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "system/files.h"

namespace vendaro {
namespace {

constexpr std::uint32_t kHeaderBytes = 14 + 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dpi

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}

std::vector<std::uint8_t> Header(const Canvas& canvas, std::uint32_t rowBytes) {
  std::vector<std::uint8_t> h(kHeaderBytes, 0);
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(canvas.height);
  h[0] = 'B';
  h[1] = 'M';
  Put32(&h[2], kHeaderBytes + imageBytes);
  Put32(&h[10], kHeaderBytes);
  Put32(&h[14], 40);
  Put32(&h[18], static_cast<std::uint32_t>(canvas.width));
  Put32(&h[22], static_cast<std::uint32_t>(canvas.height));  // positive: bottom-up
  Put16(&h[26], 1);
  Put16(&h[28], 24);
  Put32(&h[34], imageBytes);
  Put32(&h[38], kPixelsPerMetre);
  Put32(&h[42], kPixelsPerMetre);
  return h;
}

Status CannotCreate(const std::string& path, int error) {
  return Status::Error("Cannot create file \"" + path + "\". " + ErrorText(error));
}

}  // namespace

Status WriteBmp(const std::string& path, const Canvas& canvas) {
  if (!canvas.hasPixels()) return CannotCreate(path, EINVAL);
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(canvas.width) * 3 + 3) & ~3ull;
  if (kHeaderBytes + rowBytes * static_cast<std::uint64_t>(canvas.height) > UINT32_MAX)
    return CannotCreate(path, EFBIG);
  ReplacingFile file(path);
  if (file.error() != 0) return CannotCreate(path, file.error());
  const auto header = Header(canvas, static_cast<std::uint32_t>(rowBytes));
  if (const int error = file.Write(header.data(), header.size())) return CannotCreate(path, error);

  // Rows are converted a band at a time to keep the buffer small.
  constexpr int kBandRows = 32;
  std::vector<std::uint8_t> band(rowBytes * kBandRows, 0);
  for (int y = canvas.height - 1; y >= 0;) {
    std::size_t used = 0;
    for (int n = 0; n < kBandRows && y >= 0; ++n, --y, used += rowBytes) {
      const std::uint8_t* from = canvas.row(y);
      std::uint8_t* to = band.data() + used;
      for (int x = 0; x < canvas.width; ++x, from += 3, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
      }
    }
    if (const int error = file.Write(band.data(), used)) return CannotCreate(path, error);
  }
  // No flush to the disk: the file is rebuilt from the picture whenever it
  // is missing, and flushing 25 MB would double the time of every change.
  if (const int error = file.Commit()) return CannotCreate(path, error);
  return Status::Ok();
}

std::uint64_t WrittenBmpBytes(ScreenSize size) {
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(size.width) * 3 + 3) & ~3ull;
  return kHeaderBytes + rowBytes * static_cast<std::uint64_t>(size.height);
}

std::optional<Canvas> ReadWrittenBmp(const std::string& path, ScreenSize size) {
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  Canvas canvas{size.width, size.height, {}};
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(size.width) * 3 + 3) & ~3ull;
  InputFile file(path);
  if (!file.isOpen() || static_cast<std::uint64_t>(file.size()) != WrittenBmpBytes(size))
    return std::nullopt;
  std::vector<std::uint8_t> header(kHeaderBytes);
  if (file.Read(header.data(), header.size()) != kHeaderBytes ||
      header != Header(canvas, static_cast<std::uint32_t>(rowBytes)))
    return std::nullopt;
  canvas.rgb.resize(static_cast<std::size_t>(size.width) * 3 *
                    static_cast<std::size_t>(size.height));
  constexpr int kBandRows = 32;
  std::vector<std::uint8_t> band(rowBytes * kBandRows);
  for (int y = size.height - 1; y >= 0;) {
    const int rows = std::min(kBandRows, y + 1);
    const std::size_t want = rowBytes * static_cast<std::size_t>(rows);
    if (file.Read(band.data(), want) != static_cast<std::int64_t>(want)) return std::nullopt;
    for (int n = 0; n < rows; ++n, --y) {
      const std::uint8_t* from = band.data() + rowBytes * static_cast<std::size_t>(n);
      std::uint8_t* to = canvas.row(y);
      for (int x = 0; x < size.width; ++x, from += 3, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
      }
    }
  }
  return canvas;
}

}  // namespace vendaro
