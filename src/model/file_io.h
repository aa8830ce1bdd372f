#pragma once

#include <string>
#include <string_view>

namespace vendaro {

// Owns an open file descriptor and closes it when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();
  int get() const { return fd_; }
  // Hands the descriptor to another owner.
  int Release();
  // Closes now, so that a failing close is reported (an errno value, 0 on
  // success) rather than lost.
  int Close();

 private:
  int fd_;
};

// Whole-file reading and replacing for the small text files the program
// keeps.  `error` is an errno value, 0 on success.
struct FileBytes {
  int error = 0;
  std::string bytes;
};
FileBytes ReadWholeFile(const std::string& path);

// Replaces the file's content atomically: the bytes go to a new file beside
// it, are flushed to the disk, and the new file is renamed over the old one.
// A failure at any step removes the new file and leaves the old one as it
// was.  An existing file keeps its permissions; a symbolic link keeps
// pointing at the file it named.  Returns an errno value, 0 on success.
int ReplaceFileContents(const std::string& path, std::string_view bytes);

// The system's text for an errno value.
std::string ErrorText(int error);

}  // namespace vendaro
