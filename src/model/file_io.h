#pragma once

#include <string>
#include <string_view>

namespace vendaro {

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
