#include "compose/bmp_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vendaro {
namespace {

constexpr std::uint32_t kHeaderBytes = 14 + 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dpi

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = v & 0xFF;
  p[1] = v >> 8;
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

// A file descriptor that removes its half-written file unless committed.
class TempFile {
 public:
  explicit TempFile(const std::string& target) : name_(target + ".XXXXXX") {
    fd_ = mkstemp(name_.data());
    // mkstemp makes the file private; a wallpaper is read by other programs
    // of the same user, and a file asked for on the command line is shared
    // like any other.
    if (fd_ >= 0) fchmod(fd_, 0644);
  }
  ~TempFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && fd_ >= 0) unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  bool Write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  // No fsync: the file is rebuilt from the picture whenever it is missing,
  // and flushing 25 MB would double the time of every change.
  // Returns 0 or the errno value of the failed step.
  int CommitAs(const std::string& target) {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 || rename(name_.c_str(), target.c_str()) != 0) {
      const int error = errno;
      unlink(name_.c_str());
      return error;
    }
    committed_ = true;
    return 0;
  }

 private:
  std::string name_;
  int fd_ = -1;
  bool committed_ = false;
};

Status CannotCreate(const std::string& path, int error) {
  return Status::Error("Cannot create file \"" + path + "\". " + std::strerror(error));
}

}  // namespace

Status WriteBmp(const std::string& path, const Canvas& canvas) {
  if (canvas.empty()) return CannotCreate(path, EINVAL);
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(canvas.width) * 3 + 3) & ~3ull;
  if (kHeaderBytes + rowBytes * static_cast<std::uint64_t>(canvas.height) > UINT32_MAX)
    return CannotCreate(path, EFBIG);
  TempFile file(path);
  if (!file.ok()) return CannotCreate(path, errno);
  const auto header = Header(canvas, static_cast<std::uint32_t>(rowBytes));
  if (!file.Write(header.data(), header.size())) return CannotCreate(path, errno);

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
    if (!file.Write(band.data(), used)) return CannotCreate(path, errno);
  }
  if (const int error = file.CommitAs(path)) return CannotCreate(path, error);
  return Status::Ok();
}

}  // namespace vendaro
