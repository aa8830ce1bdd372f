// Reads a ready screen-sized BMP and makes it the root background through the
// plain X11 backend: the upload alone, for comparing with other setters.
//   vendaro-bench-x11-upload PICTURE.bmp STATE-FOLDER
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <algorithm>
#include <string>

#include "platform/desktop_probe.h"

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | std::uint8_t(bytes[at + std::size_t(i)]);
  return value;
}

// The composed files are 24-bit, bottom-up, uncompressed: read just that, so
// the time measured is the upload's and not a decoder's.
bool ReadComposedBmp(const char* path, vendaro::Canvas& canvas) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string bytes(std::size_t(std::max<std::streamoff>(in.tellg(), 0)), '\0');
  in.seekg(0);
  in.read(bytes.data(), std::streamsize(bytes.size()));
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0 || Little(bytes, 28, 2) != 24 || Little(bytes, 30, 4) != 0) {
    return false;
  }
  const std::uint32_t offset = Little(bytes, 10, 4);
  canvas.width = int(Little(bytes, 18, 4));
  canvas.height = int(Little(bytes, 22, 4));
  const std::size_t stride = (std::size_t(canvas.width) * 3 + 3) & ~std::size_t(3);
  if (canvas.width <= 0 || canvas.height <= 0 || offset + stride * std::size_t(canvas.height) > bytes.size()) {
    return false;
  }
  canvas.rgb.resize(std::size_t(canvas.width) * std::size_t(canvas.height) * 3);
  for (int y = 0; y < canvas.height; ++y) {
    const char* in_row = bytes.data() + offset + stride * std::size_t(canvas.height - 1 - y);
    std::uint8_t* out = canvas.row(y);
    for (int x = 0; x < canvas.width; ++x) {
      out[x * 3] = std::uint8_t(in_row[x * 3 + 2]);
      out[x * 3 + 1] = std::uint8_t(in_row[x * 3 + 1]);
      out[x * 3 + 2] = std::uint8_t(in_row[x * 3]);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PICTURE.bmp STATE-FOLDER\n", argv[0]);
    return 2;
  }
  vendaro::Canvas canvas;
  if (!ReadComposedBmp(argv[1], canvas)) {
    std::fprintf(stderr, "cannot read %s as a 24-bit BMP\n", argv[1]);
    return 1;
  }
  auto desktop = vendaro::MakeDesktopBackendOf(vendaro::DesktopKind::X11, vendaro::CurrentEnvironment(), argv[2]);
  vendaro::Status status = desktop->SetWallpaper(argv[1], canvas);
  if (!status) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  return 0;
}
