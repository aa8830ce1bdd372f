#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendaro {

// The state files keep one path a line: a backslash and a line break are
// escaped, so any path the file system allows reads back as it was.

// A path longer than any file system takes marks a file that is not ours.
inline constexpr std::size_t kMaxPathBytes = 4096;

// The path's line, without its line break.
std::string PathLine(const std::string& path);
// The path a line holds; nothing for a line this program never writes (an
// unknown escape, a carriage return or NUL, an empty or overlong path).
std::optional<std::string> PathOfLine(std::string_view line);

// The lines of a text without their breaks.  A last line that lacks its
// break (a file cut short) is kept, and `cutShort` says so.
struct TextLines {
  std::vector<std::string_view> lines;
  bool cutShort = false;
};
TextLines SplitLines(std::string_view text);

}  // namespace vendaro
