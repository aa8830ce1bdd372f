// Reads a ready screen-sized BMP and makes it the root background through the
// plain X11 backend: the upload alone, for comparing with other setters.
//   vendaro-bench-x11-upload PICTURE.bmp STATE-FOLDER
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/canvas.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/detection.h"

namespace {

std::uint32_t Little(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | std::uint8_t(bytes[at + std::size_t(i)]);
  return value;
}

// The composed files are 24-bit, bottom-up, uncompressed: read just that, so
// the time measured is the upload's and not a decoder's.
bool ReadComposedBmp(const char* path, vendaro::Canvas& canvas) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || st.st_size < 54) {
    if (fd >= 0) close(fd);
    return false;
  }
  // Mapped rather than read: no second copy of the file in memory.
  void* map = mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (map == MAP_FAILED) return false;
  const std::string_view bytes(static_cast<const char*>(map), std::size_t(st.st_size));
  bool ok = bytes.substr(0, 2) == "BM" && Little(bytes, 28, 2) == 24 && Little(bytes, 30, 4) == 0;
  const std::uint32_t offset = ok ? Little(bytes, 10, 4) : 0;
  canvas.width = ok ? int(Little(bytes, 18, 4)) : 0;
  canvas.height = ok ? int(Little(bytes, 22, 4)) : 0;
  const std::size_t stride = (std::size_t(canvas.width) * 3 + 3) & ~std::size_t(3);
  ok = ok && canvas.width > 0 && canvas.height > 0 &&
       offset + stride * std::size_t(canvas.height) <= bytes.size();
  if (ok) {
    canvas.rgb.resize(std::size_t(canvas.width) * std::size_t(canvas.height) * 3);
    for (int y = 0; y < canvas.height; ++y) {
      const char* in = bytes.data() + offset + stride * std::size_t(canvas.height - 1 - y);
      std::uint8_t* out = canvas.row(y);
      for (int x = 0; x < canvas.width; ++x) {
        out[x * 3] = std::uint8_t(in[x * 3 + 2]);
        out[x * 3 + 1] = std::uint8_t(in[x * 3 + 1]);
        out[x * 3 + 2] = std::uint8_t(in[x * 3]);
      }
    }
  }
  munmap(map, std::size_t(st.st_size));
  return ok;
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
  auto desktop = vendaro::MakeDesktopBackendOf(vendaro::DesktopKind::X11,
                                               vendaro::CurrentEnvironment(), argv[2]);
  vendaro::Status status = desktop->SetWallpaper(argv[1], canvas);
  if (!status) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  return 0;
}
