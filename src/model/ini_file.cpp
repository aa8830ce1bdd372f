#include "model/ini_file.h"

#include <cerrno>
#include <optional>
#include <vector>

#include "model/text_rules.h"
#include "system/files.h"

namespace vendaro {
namespace {

// The private-profile functions hand out at most this many characters.
constexpr std::size_t kMaxValueLength = 2047;

struct IniLine {
  std::string text;
  std::string end;  // the line's own terminator, kept when rewriting
};

std::vector<IniLine> SplitLines(std::string_view bytes) {
  std::vector<IniLine> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t stop = bytes.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.push_back({std::string(bytes.substr(start)), ""});
      break;
    }
    std::size_t next = stop + 1;
    if (bytes[stop] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
    lines.push_back({std::string(bytes.substr(start, stop - start)),
                     std::string(bytes.substr(stop, next - stop))});
    start = next;
  }
  return lines;
}

std::string JoinLines(const std::vector<IniLine>& lines) {
  std::string bytes;
  for (const IniLine& line : lines) bytes.append(line.text).append(line.end);
  return bytes;
}

std::string_view Content(const std::vector<IniLine>& lines, std::size_t i) {
  std::string_view text = lines[i].text;
  if (i == 0 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return TrimBlanks(text);
}

std::optional<std::string_view> SectionName(std::string_view content) {
  if (!content.starts_with('[')) return std::nullopt;
  content.remove_prefix(1);
  return TrimBlanks(content.substr(0, content.find(']')));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> SplitKeyLine(std::string_view content) {
  if (content.starts_with(';')) return std::nullopt;
  const std::size_t eq = content.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyLine{TrimBlanks(content.substr(0, eq)), TrimBlanks(content.substr(eq + 1))};
}

// Where a key is, or would go, in the first section of its name.
struct Location {
  std::optional<std::size_t> section;
  std::optional<std::size_t> key;
  std::size_t lastFilled = 0;  // last non-blank line of the section
};

Location Locate(const std::vector<IniLine>& lines, std::string_view section, std::string_view key) {
  Location where;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view content = Content(lines, i);
    if (const auto name = SectionName(content)) {
      if (where.section) break;
      if (EqualsIgnoringAsciiCase(*name, section)) where.section = where.lastFilled = i;
      continue;
    }
    if (!where.section) continue;
    if (!content.empty()) where.lastFilled = i;
    const auto line = SplitKeyLine(content);
    if (line && EqualsIgnoringAsciiCase(line->key, key)) {
      where.key = i;
      break;
    }
  }
  return where;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string NewlineOf(const std::vector<IniLine>& lines) {
  for (const IniLine& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return "\r\n";
}

void PlaceKey(std::vector<IniLine>& lines, std::string_view section, std::string_view key,
              std::string_view value) {
  const Location where = Locate(lines, section, key);
  const std::string newline = NewlineOf(lines);
  std::string text;
  text.append(key).append("=").append(value);
  if (where.key) {
    lines[*where.key].text = std::move(text);
    return;
  }
  if (where.section) {
    if (lines[where.lastFilled].end.empty()) lines[where.lastFilled].end = newline;
    lines.insert(lines.begin() + std::ptrdiff_t(where.lastFilled + 1), {std::move(text), newline});
    return;
  }
  if (!lines.empty()) {
    if (lines.back().end.empty()) lines.back().end = newline;
    if (!TrimBlanks(lines.back().text).empty()) lines.push_back({"", newline});
  }
  std::string header;
  header.append("[").append(section).append("]");
  lines.push_back({std::move(header), newline});
  lines.push_back({std::move(text), newline});
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const FileBytes file = ReadWholeFile(path_);
  if (file.error != 0) return std::string(defaultValue);
  const std::vector<IniLine> lines = SplitLines(file.bytes);
  const Location where = Locate(lines, section, key);
  if (!where.key) return std::string(defaultValue);
  const std::string_view value = Unquote(SplitKeyLine(Content(lines, *where.key))->value);
  return std::string(value.substr(0, kMaxValueLength));
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  return ParseInteger(ReadString(section, key, "")).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

DateTime IniFile::ReadDate(std::string_view section, std::string_view key,
                           DateTime defaultValue) const {
  const std::string text = ReadString(section, key, "");
  if (text.empty()) return defaultValue;
  return ParseShortDate(text).value_or(defaultValue);
}

Status IniFile::WriteString(std::string_view section, std::string_view key,
                            std::string_view value) {
  const Status refused = Status::Error("Unable to write to " + path_);
  // A line break would split the line and plant keys of its own.
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return refused;
  FileBytes file = ReadWholeFile(path_);
  // Rewriting a file we could not read would throw its other keys away.
  if (file.error != 0 && file.error != ENOENT) return refused;
  std::vector<IniLine> lines = SplitLines(file.bytes);
  PlaceKey(lines, section, key, value);
  if (ReplaceFileContents(path_, JoinLines(lines)) != 0) return refused;
  return Status::Ok();
}

Status IniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
  return WriteString(section, key, std::to_string(value));
}

Status IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

Status IniFile::WriteDate(std::string_view section, std::string_view key, DateTime value) {
  return WriteString(section, key, FormatShortDate(value));
}

}  // namespace vendaro
