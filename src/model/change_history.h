#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendaro {

// The pictures shown lately, oldest first, with a cursor on the one on
// screen: Previous walks the cursor back, Next walks it forward again before
// anything new is taken.  Paths, not list positions, so that an edited list
// never sends a step to the wrong picture.
class ChangeHistory {
 public:
  static constexpr std::size_t kLimit = 100;

  // The picture now on screen.  When it is the one under the cursor nothing
  // changes; otherwise whatever lay ahead of the cursor is forgotten and the
  // picture becomes the newest, the oldest falling off past the limit.
  // Whether anything changed.
  bool Landed(const std::string& path);
  // The path one step back (or forward) that `known` accepts, the cursor
  // moved onto it; paths `known` refuses on the way are forgotten.  Nothing
  // when there is none, the cursor then left where it was.
  std::optional<std::string> Back(const std::function<bool(const std::string&)>& known);
  std::optional<std::string> Forward(const std::function<bool(const std::string&)>& known);

  const std::vector<std::string>& paths() const { return paths_; }
  std::size_t cursor() const { return cursor_; }
  bool empty() const { return paths_.empty(); }

  // The file's text, and the history read back from one; nothing when the
  // text is not wholly a history this program wrote (any line out of place,
  // too many paths, a cursor beyond them).
  std::string Text() const;
  static std::optional<ChangeHistory> FromText(std::string_view text);

 private:
  std::vector<std::string> paths_;
  std::size_t cursor_ = 0;
};

// The history file in `folder` (ends with '/'); an unreadable, foreign or
// damaged file gives an empty history.
inline constexpr const char* kHistoryFileName = "history";
ChangeHistory LoadChangeHistory(const std::string& folder);
// Written to a new file renamed into place.  An error number, 0 on success.
int SaveChangeHistory(const std::string& folder, const ChangeHistory& history);

}  // namespace vendaro
