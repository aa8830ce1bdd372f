#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendaro {

// Files by their path's bytes, as the file system gives them: nothing is
// re-encoded on the way.  Errors are the system's error numbers (0: none),
// turned into text by ErrorText.

// Whole-file reading for the small text files the program keeps.
struct FileBytes {
  int error = 0;
  std::string bytes;
};
FileBytes ReadWholeFile(const std::string& path);
// The same for a file that may be larger than anything the program should
// hold: beyond `maxBytes`, nothing is read and the error is EFBIG.  Anything
// but a regular file (a FIFO, a device, a socket) is refused at once, never
// waited on, with kNotARegularFile.
FileBytes ReadWholeFile(const std::string& path, std::int64_t maxBytes);
// The error of a path that names something other than a regular file; no
// system error number is negative.
inline constexpr int kNotARegularFile = -1;

// Replaces the file's content atomically: the bytes go to a new file beside
// it, are flushed to the disk, and the new file is renamed over the old one.
// A failure at any step removes the new file and leaves the old one as it
// was.  An existing file keeps its permissions; a symbolic link keeps
// pointing at the file it named.  Returns an error number, 0 on success.
int ReplaceFileContents(const std::string& path, std::string_view bytes);

// Adds `bytes` at the end of an existing regular file, without creating one
// and without a flush to the disk.  A write cut short by a crash leaves a
// partial last line for the reader to notice.  Returns an error number, 0 on
// success (kNotARegularFile for anything but a regular file).
int AppendToFile(const std::string& path, std::string_view bytes);

// The system's text for an error number (or for kNotARegularFile).
std::string ErrorText(int error);

// Whether anything exists at `path`; whether it exists and is not a folder;
// whether it is a folder.
bool PathExists(const std::string& path);
bool IsNonFolder(const std::string& path);
bool IsFolder(const std::string& path);
// Whether `path` is a regular file (a link is followed).
bool IsRegularFile(const std::string& path);
// A regular file's size and last modification time (nanoseconds since the
// epoch): both change when its content is rewritten.  Nothing for a path that
// is not a regular file (a link is followed) or cannot be looked at.
struct FileStamp {
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> RegularFileStamp(const std::string& path);
// What tells one version of a regular file from another: its device and
// inode change when another file is renamed over it, its size and times when
// it is rewritten in place (the change time even when the modification time
// is copied back; a rename changes it too).
struct FileIdentity {
  std::int64_t device = 0;
  std::int64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> RegularFileIdentity(const std::string& path);
// Whether `path` is a folder this process may create files in.
bool IsWritableFolder(const std::string& path);

// The folder part of a path, with its trailing '/'; "./" for a bare name.
std::string FolderOfPath(const std::string& path);

// The names directly inside `folder`, without "." and "..", in the order the
// file system lists them; none when the folder cannot be read.
std::vector<std::string> FolderEntryNames(const std::string& folder);

// Removes a file; true when it is gone (a file already missing counts).
bool RemoveFile(const std::string& path);

// Renames `from` to `to` only when `to` does not exist yet.
bool MoveWithoutReplacing(const std::string& from, const std::string& to);

// A regular file opened for reading.  Only regular files are opened, and
// without blocking, so a FIFO or a device in a list cannot stall the program.
class InputFile {
 public:
  InputFile() = default;
  explicit InputFile(const std::string& path);
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  bool isOpen() const { return handle_ >= 0; }
  std::int64_t size() const { return size_; }
  // Reads up to `count` bytes at the current position, or at `offset`
  // (the position stays).  The number read, 0 at the end, -1 on an error.
  std::int64_t Read(void* buffer, std::size_t count);
  std::int64_t ReadAt(void* buffer, std::size_t count, std::int64_t offset) const;
  // Moves the position `count` bytes on; false when the file cannot seek.
  bool Skip(std::int64_t count);
  // The open handle (a C runtime descriptor), still owned here, and handing
  // it to a new owner.
  int handle() const { return handle_; }
  int ReleaseHandle();

 private:
  int handle_ = -1;
  std::int64_t size_ = 0;
};

// A new file written under a temporary name beside `target`, renamed over
// it by Commit; dropped uncommitted, the temporary file is removed, so a
// failure never leaves a partial file behind.  Readable by the user's other
// programs (a wallpaper is read by the desktop).
class ReplacingFile {
 public:
  explicit ReplacingFile(std::string target);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();

  // 0 when the temporary file is open, else the error number.
  int error() const { return error_; }
  // Error number of a failed write, 0 on success.
  int Write(const void* data, std::size_t size);
  // Renames the file into place.  No flush to the disk: callers that need
  // one use ReplaceFileContents.  Error number, 0 on success.
  int Commit();

 private:
  std::string target_;
  std::string temporary_;
  int handle_ = -1;
  int error_ = 0;
  bool created_ = false;
  bool committed_ = false;
};

}  // namespace vendaro
