#include "model/ini_file.h"

#include <cerrno>

#include "model/text_rules.h"
#include "system/files.h"

namespace vendaro {
namespace {

// The private-profile functions hand out at most this many characters.
constexpr std::size_t kMaxValueLength = 2047;

// Settings files beyond this are not read (every key reads as its default)
// and never written over: the program's own file stays under a kilobyte.
constexpr std::int64_t kMaxFileBytes = 32LL << 20;

// One line of the file by its offsets: its text is [start, textEnd), its
// own line end (CR LF, CR, LF or none) [textEnd, next).
struct LineSpan {
  std::size_t start = 0, textEnd = 0, next = 0;
  bool hasEnd() const { return next > textEnd; }
};

// Walks the lines of `bytes`; `visit(index, line, content)` returns false to
// stop.  The content is the text without blanks around it and, on the first
// line, without a UTF-8 byte order mark.
template <typename Visit>
void ForEachLine(std::string_view bytes, const Visit& visit) {
  std::size_t start = 0;
  for (std::size_t i = 0; start < bytes.size(); ++i) {
    LineSpan line{start, bytes.find_first_of("\r\n", start), 0};
    if (line.textEnd == std::string_view::npos) line.textEnd = bytes.size();
    line.next = line.textEnd;
    if (line.next < bytes.size()) {
      ++line.next;
      if (bytes[line.textEnd] == '\r' && line.next < bytes.size() && bytes[line.next] == '\n')
        ++line.next;
    }
    std::string_view text = bytes.substr(line.start, line.textEnd - line.start);
    if (i == 0 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!visit(i, line, TrimBlanks(text))) return;
    start = line.next;
  }
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
  bool section = false;
  bool done = false;  // the section has ended, or the key was found
  std::optional<LineSpan> key;
  std::string_view value;
  LineSpan lastFilled;  // last non-blank line of the section
};

// Locates every key in one pass: each is looked for only in the first
// section of its name, up to the next section header.
std::vector<Location> LocateAll(std::string_view bytes, const std::vector<IniFile::Key>& keys) {
  std::vector<Location> where(keys.size());
  std::size_t open = keys.size();  // keys whose search has not ended
  ForEachLine(bytes, [&](std::size_t, const LineSpan& line, std::string_view content) {
    if (const auto name = SectionName(content)) {
      for (std::size_t k = 0; k < keys.size(); ++k) {
        Location& w = where[k];
        if (w.done) continue;
        if (w.section) {
          w.done = true;
          --open;
        } else if (EqualsIgnoringAsciiCase(*name, keys[k].section)) {
          w.section = true;
          w.lastFilled = line;
        }
      }
      return open > 0;
    }
    if (content.empty()) return true;
    const auto keyLine = SplitKeyLine(content);
    for (std::size_t k = 0; k < keys.size(); ++k) {
      Location& w = where[k];
      if (!w.section || w.done) continue;
      w.lastFilled = line;
      if (keyLine && EqualsIgnoringAsciiCase(keyLine->key, keys[k].key)) {
        w.key = line;
        w.value = keyLine->value;
        w.done = true;
        --open;
      }
    }
    return open > 0;
  });
  return where;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The first line end in the file, which new lines copy.
std::string_view NewlineOf(std::string_view bytes) {
  std::string_view newline = "\r\n";
  ForEachLine(bytes, [&](std::size_t, const LineSpan& line, std::string_view) {
    if (!line.hasEnd()) return true;
    newline = bytes.substr(line.textEnd, line.next - line.textEnd);
    return false;
  });
  return newline;
}

// The file's bytes with the key set: its line replaced, or a line added
// after the last filled line of its section, or the section added at the end
// (after a blank line).
std::string PlaceKey(std::string_view bytes, std::string_view section, std::string_view key,
                     std::string_view value) {
  const Location where = LocateAll(bytes, {{section, key}}).front();
  const std::string_view newline = NewlineOf(bytes);
  std::string text;
  text.append(key).append("=").append(value);
  std::string out;
  out.reserve(bytes.size() + text.size() + section.size() + 8);
  if (where.key) {
    out.append(bytes.substr(0, where.key->start)).append(text);
    out.append(bytes.substr(where.key->textEnd));
    return out;
  }
  if (where.section) {
    const LineSpan& last = where.lastFilled;
    out.append(bytes.substr(0, last.next));
    if (!last.hasEnd()) out.append(newline);
    out.append(text).append(newline).append(bytes.substr(last.next));
    return out;
  }
  out.append(bytes);
  if (!bytes.empty()) {
    // The last line, found from the end.
    std::size_t textEnd = bytes.size();
    if (bytes.ends_with('\n') || bytes.ends_with('\r')) textEnd -= bytes.ends_with("\r\n") ? 2 : 1;
    const std::size_t lastBreak =
        textEnd == 0 ? std::string_view::npos : bytes.find_last_of("\r\n", textEnd - 1);
    const std::size_t start = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
    if (textEnd == bytes.size()) out.append(newline);
    if (!TrimBlanks(bytes.substr(start, textEnd - start)).empty()) out.append(newline);
  }
  out.append("[").append(section).append("]").append(newline);
  out.append(text).append(newline);
  return out;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::vector<std::optional<std::string>> IniFile::ReadStrings(const std::vector<Key>& keys) const {
  std::vector<std::optional<std::string>> values(keys.size());
  const FileBytes file = ReadWholeFile(path_, kMaxFileBytes);
  if (file.error != 0) return values;
  const std::vector<Location> where = LocateAll(file.bytes, keys);
  for (std::size_t k = 0; k < keys.size(); ++k)
    if (where[k].key) values[k] = std::string(Unquote(where[k].value).substr(0, kMaxValueLength));
  return values;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  std::optional<std::string> value = ReadStrings({{section, key}}).front();
  return value ? std::move(*value) : std::string(defaultValue);
}

std::int32_t IniFile::IntegerFrom(const std::optional<std::string>& text,
                                  std::int32_t defaultValue) {
  return ParseInteger(text.value_or("")).value_or(defaultValue);
}

DateTime IniFile::DateFrom(const std::optional<std::string>& text, DateTime defaultValue) {
  if (!text || text->empty()) return defaultValue;
  return ParseShortDate(*text).value_or(defaultValue);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  return IntegerFrom(ReadStrings({{section, key}}).front(), defaultValue);
}

DateTime IniFile::ReadDate(std::string_view section, std::string_view key,
                           DateTime defaultValue) const {
  return DateFrom(ReadStrings({{section, key}}).front(), defaultValue);
}

Status IniFile::WriteString(std::string_view section, std::string_view key,
                            std::string_view value) {
  const Status refused = Status::Error("Unable to write to " + path_);
  // A line break would split the line and plant keys of its own.
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return refused;
  const FileBytes file = ReadWholeFile(path_, kMaxFileBytes);
  // Rewriting a file we could not read would throw its other keys away.
  if (file.error != 0 && file.error != ENOENT) return refused;
  if (ReplaceFileContents(path_, PlaceKey(file.bytes, section, key, value)) != 0) return refused;
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
