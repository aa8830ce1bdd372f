#include "platform/session/desktop_entry.h"

#include <sstream>
#include <string_view>

namespace vendaro {
namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Inside double quotes these four keep a backslash before them.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string QuoteArgument(const std::string& argument) {
  std::string out;
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
  if (quote) out += '"';
  for (char c : argument) {
    if (quote && kEscapedInQuotes.find(c) != std::string_view::npos) out += '\\';
    out += c;
    if (c == '%') out += '%';
  }
  if (quote) out += '"';
  return out;
}

std::string EscapeString(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == ' ' && i == 0) {
      out += "\\s";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> UnescapeString(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      // Other escapes are not defined for string values; keep them for the
      // argument level, where quotes give them a meaning.
      default:
        out += '\\';
        out += text[i];
    }
  }
  return out;
}

struct ArgumentSplitter {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;

  void Add(char c) {
    current += c;
    inArgument = true;
  }
  void End() {
    if (inArgument) arguments.push_back(current);
    current.clear();
    inArgument = false;
  }
};

// A '%' sequence at `i`: "%%" is a percent sign, any other field code is
// dropped.  Returns the index of its last character.
std::size_t FieldCode(const std::string& line, std::size_t i, ArgumentSplitter& split) {
  if (i + 1 < line.size() && line[i + 1] == '%') split.Add('%');
  return i + 1;
}

}  // namespace

std::string ExecValueFor(const std::string& programPath) {
  return EscapeString(QuoteArgument(programPath));
}

std::optional<std::vector<std::string>> ParseExecValue(const std::string& value) {
  std::optional<std::string> line = UnescapeString(value);
  if (!line) return std::nullopt;
  ArgumentSplitter split;
  bool quoted = false;
  for (std::size_t i = 0; i < line->size(); ++i) {
    const char c = (*line)[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < line->size() &&
                 kEscapedInQuotes.find((*line)[i + 1]) != std::string_view::npos) {
        split.Add((*line)[++i]);
      } else if (c == '%') {
        i = FieldCode(*line, i, split);
      } else {
        split.Add(c);
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      split.End();
    } else if (c == '"') {
      quoted = true;
      split.inArgument = true;
    } else if (c == '\\' && i + 1 < line->size()) {
      split.Add((*line)[++i]);
    } else if (c == '%') {
      i = FieldCode(*line, i, split);
    } else {
      split.Add(c);
    }
  }
  if (quoted) return std::nullopt;
  split.End();
  return split.arguments;
}

std::optional<std::string> DesktopEntryValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  bool inEntry = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (!inEntry || line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string name = line.substr(0, equals);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name != key) continue;
    std::size_t start = line.find_first_not_of(' ', equals + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return std::nullopt;
}

}  // namespace vendaro
