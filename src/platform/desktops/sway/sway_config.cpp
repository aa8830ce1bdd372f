#include "platform/desktops/sway/sway_config.h"

#include <strings.h>
#include <wordexp.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>

#include "system/files.h"

namespace vendaro {
namespace {

// Config files are a few kilobytes; anything this large is not one.
constexpr std::int64_t kMaxConfigBytes = 1 << 20;
// sway has no limit of its own, but a chain this deep is a mistake.
constexpr int kMostIncludeDepth = 16;

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Where each word of a line starts and ends; quotes keep spaces inside a word.
std::vector<std::pair<std::size_t, std::size_t>> Words(const std::string& line) {
  std::vector<std::pair<std::size_t, std::size_t>> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    const std::size_t start = i;
    char quote = 0;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (quote) {
        if (c == '\\' && i + 1 < line.size()) {
          ++i;
        } else if (c == quote) {
          quote = 0;
        }
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == ' ' || c == '\t') {
        break;
      }
    }
    words.emplace_back(start, i);
  }
  return words;
}

std::string Word(const std::string& line, const std::pair<std::size_t, std::size_t>& word) {
  return line.substr(word.first, word.second - word.first);
}

bool IsBackgroundWord(const std::string& word) {
  return strcasecmp(word.c_str(), "bg") == 0 || strcasecmp(word.c_str(), "background") == 0;
}

// The command giving back the background of `output NAME <subcommands>`.
std::optional<std::string> BackgroundOf(const std::string& output, const std::string& subcommands) {
  for (const auto& word : Words(subcommands)) {
    if (IsBackgroundWord(Word(subcommands, word)))
      return "output " + output + " " + subcommands.substr(word.first);
  }
  return std::nullopt;
}

// The config as sway reads it: one logical line per entry, continuations joined.
std::vector<std::string> LogicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string pending;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.back() == '\\') {
      pending += line.substr(0, line.size() - 1);
      continue;
    }
    lines.push_back(Trimmed(pending + line));
    pending.clear();
  }
  if (!pending.empty()) lines.push_back(Trimmed(pending));
  return lines;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "";
}

// The pattern as one shell word relative to `folder`: the folder quoted,
// the pattern as the user wrote it.
std::string RelativeTo(const std::string& folder, const std::string& pattern) {
  std::string quoted = "'";
  for (const char c : folder) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'/" + pattern;
}

// The files an `include` pattern names.  WRDE_NOCMD: a config is text, and
// reading it must not run what it says.
std::vector<std::string> IncludedFiles(const std::string& pattern, const std::string& folder) {
  const bool anchored =
      !pattern.empty() && (pattern[0] == '/' || pattern[0] == '~' || pattern[0] == '$');
  if (!anchored && folder.empty()) return {};
  const std::string word = anchored ? pattern : RelativeTo(folder, pattern);
  wordexp_t expanded{};
  if (wordexp(word.c_str(), &expanded, WRDE_NOCMD) != 0) return {};
  std::vector<std::string> files(expanded.we_wordv, expanded.we_wordv + expanded.we_wordc);
  wordfree(&expanded);
  for (std::string& file : files) {
    if (!file.empty() && file[0] != '/' && !folder.empty()) file = folder + "/" + file;
  }
  return files;
}

std::string CanonicalPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::canonical(path, error);
  return error ? std::string() : canonical.string();
}

struct Includes {
  std::set<std::string> seen;
  std::string text;
};

void AppendWithIncludes(const std::string& configText, const std::string& folder, int depth,
                        Includes& into) {
  for (const std::string& line : LogicalLines(configText)) {
    const auto words = Words(line);
    if (words.size() < 2 || strcasecmp(Word(line, words[0]).c_str(), "include") != 0) {
      into.text += line + "\n";
      continue;
    }
    if (depth >= kMostIncludeDepth) continue;
    for (const std::string& file : IncludedFiles(line.substr(words[1].first), folder)) {
      const std::string canonical = CanonicalPath(file);
      if (canonical.empty() || !IsNonFolder(canonical) || !into.seen.insert(canonical).second)
        continue;
      const FileBytes read = ReadWholeFile(canonical, kMaxConfigBytes);
      if (read.error != 0) continue;
      AppendWithIncludes(read.bytes, std::filesystem::path(canonical).parent_path().string(),
                         depth + 1, into);
    }
  }
}

}  // namespace

std::vector<std::string> SwayBackgroundCommands(const std::string& configText) {
  std::vector<std::string> commands;
  std::string block;   // the output a `output NAME {` block is about
  int otherDepth = 0;  // inside some other block
  for (const std::string& line : LogicalLines(configText)) {
    if (line.empty() || line[0] == '#') continue;
    if (!block.empty() || otherDepth > 0) {
      if (line == "}") {
        if (otherDepth > 0) {
          --otherDepth;
        } else {
          block.clear();
        }
        continue;
      }
      if (line.back() == '{') {
        ++otherDepth;
        continue;
      }
      if (!block.empty() && otherDepth == 0) {
        if (auto command = BackgroundOf(block, line)) commands.push_back(*command);
      }
      continue;
    }
    const auto words = Words(line);
    const bool isOutput =
        words.size() >= 2 && strcasecmp(Word(line, words[0]).c_str(), "output") == 0;
    if (line.back() == '{') {
      if (isOutput && words.size() == 3) {
        block = Word(line, words[1]);
      } else {
        ++otherDepth;
      }
      continue;
    }
    if (isOutput && words.size() >= 3) {
      if (auto command = BackgroundOf(Word(line, words[1]), line.substr(words[2].first)))
        commands.push_back(*command);
    }
  }
  return commands;
}

std::string SwayConfigPath(const std::string& loadedText) {
  const std::string home = HomeFolder();
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string xdg = configHome && *configHome ? configHome : home + "/.config";
  // sway's own order.
  const std::vector<std::string> places = {home + "/.sway/config", xdg + "/sway/config",
                                           home + "/.i3/config",   xdg + "/i3/config",
                                           "/etc/sway/config",     "/etc/i3/config"};
  for (const std::string& place : places) {
    if (place[0] != '/' || !IsNonFolder(place)) continue;
    const FileBytes read = ReadWholeFile(place, kMaxConfigBytes);
    if (read.error == 0 && read.bytes == loadedText) return place;
  }
  return {};
}

std::string SwayConfigWithIncludes(const std::string& text, const std::string& path) {
  Includes includes;
  std::string folder;
  if (!path.empty()) {
    const std::string canonical = CanonicalPath(path);
    includes.seen.insert(canonical.empty() ? path : canonical);
    folder = std::filesystem::path(canonical.empty() ? path : canonical).parent_path().string();
  }
  AppendWithIncludes(text, folder, 0, includes);
  return includes.text;
}

}  // namespace vendaro
