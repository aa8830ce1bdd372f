#include "system/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace vendaro {
namespace {

// Owns an open file descriptor and closes it when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, so that a failing close is reported rather than lost.
  int Close() { return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno; }

 private:
  int fd_;
};

int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
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
  if (const int err = WriteAll(fd, bytes.data(), bytes.size())) return err;
  return ::fsync(fd) == 0 ? 0 : errno;
}

bool StatOf(const std::string& path, struct stat& st) {
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

FileBytes ReadWholeFile(const std::string& path) {
  return ReadWholeFile(path, std::numeric_limits<std::int64_t>::max());
}

FileBytes ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
  FileBytes result;
  // Not blocking: opening a FIFO for reading would wait for a writer.  The
  // type is checked on what was opened, so nothing can be swapped in between.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) {
    result.error = errno;
    return result;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    result.error = errno;
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    result.error = kNotARegularFile;
    return result;
  }
  if (st.st_size > maxBytes) {
    result.error = EFBIG;
    return result;
  }
  result.bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || static_cast<std::int64_t>(result.bytes.size()) + n > maxBytes) {
      result.error = n < 0 ? errno : EFBIG;
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

int AppendToFile(const std::string& path, std::string_view bytes) {
  // Not blocking: a FIFO put in the file's place must not stall the change.
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return errno;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kNotARegularFile;
  if (const int err = WriteAll(fd.get(), bytes.data(), bytes.size())) return err;
  return fd.Close();
}

// The errors a user meets with files and programs, in Polish whatever the
// system's translations: the C library's own texts are English where its
// Polish messages are not installed, and they follow a Polish sentence.
std::string ErrorText(int error) {
  switch (error) {
    case kNotARegularFile:
      return "To nie jest zwykły plik (np. potok FIFO lub urządzenie).";
    case ENOENT:
      return "Nie ma takiego pliku ani katalogu.";
    case EACCES:
    case EPERM:
      return "Brak uprawnień.";
    case ENOSPC:
    case EDQUOT:
      return "Brak miejsca na dysku.";
    case EROFS:
      return "System plików jest tylko do odczytu.";
    case EISDIR:
      return "To jest katalog.";
    case ENOTDIR:
      return "Część ścieżki nie jest katalogiem.";
    case ENAMETOOLONG:
      return "Za długa nazwa pliku.";
    case ELOOP:
      return "Zbyt wiele dowiązań symbolicznych w ścieżce.";
    case EIO:
      return "Błąd wejścia/wyjścia.";
    case ENOMEM:
      return "Brak pamięci.";
    case EMFILE:
    case ENFILE:
      return "Za dużo otwartych plików.";
    case EBUSY:
    case ETXTBSY:
      return "Plik jest zajęty.";
    case EXDEV:
      return "Plik leży w innym systemie plików.";
    case EAGAIN:
      return "Zasób chwilowo niedostępny.";
    default: {
      // The symbolic name tells more than a number and needs no translation.
      const char* name = strerrorname_np(error);
      return std::string("Błąd systemu ") + (name ? name : std::to_string(error)) + ".";
    }
  }
}

bool PathExists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

bool IsNonFolder(const std::string& path) {
  struct stat st {};
  return StatOf(path, st) && !S_ISDIR(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return StatOf(path, st) && S_ISREG(st.st_mode);
}

std::optional<FileStamp> RegularFileStamp(const std::string& path) {
  struct stat st {};
  if (!StatOf(path, st) || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{st.st_size,
                   std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::optional<FileIdentity> RegularFileIdentity(const std::string& path) {
  struct stat st {};
  if (!StatOf(path, st) || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileIdentity{std::int64_t(st.st_dev), std::int64_t(st.st_ino), st.st_size,
                      std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec,
                      std::int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec};
}

bool IsWritableFolder(const std::string& path) {
  return IsFolder(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  // File systems without RENAME_NOREPLACE: a hard link also refuses to
  // replace an existing name.
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

InputFile::InputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return;
  }
  handle_ = fd;
  size_ = st.st_size;
}

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(handle_);
    handle_ = std::exchange(other.handle_, -1);
    size_ = other.size_;
  }
  return *this;
}

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(handle_);
}

std::int64_t InputFile::Read(void* buffer, std::size_t count) {
  ssize_t n;
  do n = ::read(handle_, buffer, count);
  while (n < 0 && errno == EINTR);
  return n;
}

std::int64_t InputFile::ReadAt(void* buffer, std::size_t count, std::int64_t offset) const {
  ssize_t n;
  do n = ::pread(handle_, buffer, count, offset);
  while (n < 0 && errno == EINTR);
  return n;
}

bool InputFile::Skip(std::int64_t count) {
  return ::lseek(handle_, count, SEEK_CUR) >= 0;
}

int InputFile::ReleaseHandle() {
  return std::exchange(handle_, -1);
}

ReplacingFile::ReplacingFile(std::string target)
    : target_(std::move(target)), temporary_(target_ + ".XXXXXX") {
  handle_ = mkostemp(temporary_.data(), O_CLOEXEC);
  if (handle_ < 0) {
    error_ = errno;
    return;
  }
  created_ = true;
  // mkstemp makes the file private; a wallpaper is read by other programs
  // of the same user, and a file asked for on the command line is shared
  // like any other.
  fchmod(handle_, 0644);
}

ReplacingFile::~ReplacingFile() {
  if (handle_ >= 0) ::close(handle_);
  if (created_ && !committed_) ::unlink(temporary_.c_str());
}

int ReplacingFile::Write(const void* data, std::size_t size) {
  if (handle_ < 0) return error_ != 0 ? error_ : EBADF;
  return WriteAll(handle_, static_cast<const char*>(data), size);
}

int ReplacingFile::Commit() {
  if (handle_ < 0) return error_ != 0 ? error_ : EBADF;
  const int fd = std::exchange(handle_, -1);
  if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) return errno;
  committed_ = true;
  return 0;
}

}  // namespace vendaro
