#include "model/change_history.h"

#include <charconv>

#include "model/path_lines.h"
#include "system/files.h"

namespace vendaro {
namespace {

constexpr std::string_view kHeader = "vendaro-history 1";
constexpr std::int64_t kMaxFileBytes =
    static_cast<std::int64_t>((ChangeHistory::kLimit + 2) * (2 * kMaxPathBytes + 2));

}  // namespace

bool ChangeHistory::Landed(const std::string& path) {
  if (!paths_.empty() && paths_[cursor_] == path) return false;
  if (!paths_.empty()) paths_.resize(cursor_ + 1);
  paths_.push_back(path);
  if (paths_.size() > kLimit) paths_.erase(paths_.begin(), paths_.end() - kLimit);
  cursor_ = paths_.size() - 1;
  return true;
}

std::optional<std::string> ChangeHistory::Back(
    const std::function<bool(const std::string&)>& known) {
  while (cursor_ > 0) {
    const std::size_t at = cursor_ - 1;
    if (known(paths_[at])) {
      cursor_ = at;
      return paths_[at];
    }
    paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(at));
    --cursor_;
  }
  return std::nullopt;
}

std::optional<std::string> ChangeHistory::Forward(
    const std::function<bool(const std::string&)>& known) {
  while (cursor_ + 1 < paths_.size()) {
    const std::size_t at = cursor_ + 1;
    if (known(paths_[at])) {
      cursor_ = at;
      return paths_[at];
    }
    paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return std::nullopt;
}

std::string ChangeHistory::Text() const {
  std::string text(kHeader);
  // Appended piece by piece: "\n" + a string trips a false -Wrestrict of
  // GCC 12 at -O3.
  text += '\n';
  text += std::to_string(cursor_);
  text += '\n';
  for (const std::string& path : paths_) {
    text += PathLine(path);
    text += '\n';
  }
  return text;
}

std::optional<ChangeHistory> ChangeHistory::FromText(std::string_view text) {
  if (text.empty() || text.back() != '\n') return std::nullopt;
  const std::vector<std::string_view> lines = SplitLines(text).lines;
  if (lines.size() < 2 || lines[0] != kHeader) return std::nullopt;
  const std::size_t count = lines.size() - 2;
  if (count > kLimit) return std::nullopt;
  ChangeHistory history;
  const std::string_view number = lines[1];
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), history.cursor_);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  if (count == 0 ? history.cursor_ != 0 : history.cursor_ >= count) return std::nullopt;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    std::optional<std::string> path = PathOfLine(lines[i]);
    if (!path) return std::nullopt;
    history.paths_.push_back(std::move(*path));
  }
  return history;
}

ChangeHistory LoadChangeHistory(const std::string& folder) {
  const FileBytes file = ReadWholeFile(folder + kHistoryFileName, kMaxFileBytes);
  if (file.error != 0) return {};
  return ChangeHistory::FromText(file.bytes).value_or(ChangeHistory{});
}

int SaveChangeHistory(const std::string& folder, const ChangeHistory& history) {
  return ReplaceFileContents(folder + kHistoryFileName, history.Text());
}

}  // namespace vendaro
