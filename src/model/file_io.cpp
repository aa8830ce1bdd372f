#include "model/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vendaro {
namespace {

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Writing through a link must replace the file it names, not the link.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::string TemporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Opens a fresh temporary file beside the target.  O_EXCL keeps a planted
// file or link from being followed.
int OpenTemporary(const std::string& target, std::string& tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = TemporaryName(target);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

int FillTemporary(int fd, const std::string& target, std::string_view bytes) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0) return errno;
  if (const int err = WriteAll(fd, bytes)) return err;
  return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::Release() {
  return std::exchange(fd_, -1);
}

int FileDescriptor::Close() {
  const int rc = ::close(std::exchange(fd_, -1));
  return rc == 0 ? 0 : errno;
}

FileBytes ReadWholeFile(const std::string& path) {
  FileBytes result;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    result.error = errno;
    return result;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.error = errno;
      result.bytes.clear();
      return result;
    }
    if (n == 0) return result;
    result.bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

int ReplaceFileContents(const std::string& path, std::string_view bytes) {
  const std::string target = ResolveLink(path);
  std::string tempPath;
  FileDescriptor fd(OpenTemporary(target, tempPath));
  if (fd.get() < 0) return errno;
  int err = FillTemporary(fd.get(), target, bytes);
  const int closeErr = fd.Close();
  if (err == 0) err = closeErr;
  if (err == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(tempPath.c_str());
  return err;
}

std::string ErrorText(int error) {
  return std::strerror(error);
}

}  // namespace vendaro
