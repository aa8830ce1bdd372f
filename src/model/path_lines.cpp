#include "model/path_lines.h"

namespace vendaro {

std::string PathLine(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> PathOfLine(std::string_view line) {
  // Most paths hold nothing escaped: a round file can have 200,000 of them.
  if (line.find_first_of(std::string_view("\\\r\0", 3)) == std::string_view::npos) {
    if (line.empty() || line.size() > kMaxPathBytes) return std::nullopt;
    return std::string(line);
  }
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\r' || line[i] == '\0') return std::nullopt;
    if (line[i] != '\\') {
      out += line[i];
      continue;
    }
    if (++i == line.size()) return std::nullopt;
    if (line[i] == '\\') {
      out += '\\';
    } else if (line[i] == 'n') {
      out += '\n';
    } else {
      return std::nullopt;
    }
  }
  if (out.empty() || out.size() > kMaxPathBytes) return std::nullopt;
  return out;
}

TextLines SplitLines(std::string_view text) {
  TextLines result;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      result.lines.push_back(text);
      result.cutShort = true;
      break;
    }
    result.lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return result;
}

}  // namespace vendaro
