#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/wallpaper_entry.h"
#include "system/status.h"

namespace vendaro {

using EntryList = std::vector<WallpaperEntry>;

// A picture's size, upright (after any stored orientation).
struct PictureSize {
  int width = 0;
  int height = 0;
};

// Probing is passed in, so the list rules test without real pictures.  The
// real one is ProbePicture (compose/probe.h); an error when the picture
// cannot be opened or measured.
using PictureProbe = std::function<Result<PictureSize>(const std::string& path)>;

// Appends at most one entry: the file must exist, have an accepted extension
// and probe successfully.  Does not look for duplicates.
void AddPictureFile(EntryList& list, const std::string& path, const PictureProbe& probe);

// Removes later byte-equal copies in place; the first occurrence keeps its
// place and the order of the rest is unchanged.
void RemoveDuplicateEntries(EntryList& list);

// What joining `added` after `list` and removing duplicates adds to `list`:
// the entries of `added` equal to no entry of `list` and no earlier one of
// `added`, in order.  Nothing when `list` holds duplicates itself (the join
// would then change its rows too).
std::optional<EntryList> NewDistinctEntries(const EntryList& list, const EntryList& added);

// Drops every entry whose file `exists` says is gone, in one pass from the
// first entry to the last (each is asked about once); the entries kept stay
// in their order.  `beforeDropping`, when given, is called once before the
// list changes, and only when something is dropped.  With `parallel`, a list
// of kParallelChecksFrom entries or more is asked about on two threads at
// once (`exists` must then be safe to call so); the result is the same.
// Returns how many were dropped.
inline constexpr std::size_t kParallelChecksFrom = 8192;
std::size_t DropMissingEntries(EntryList& list,
                               const std::function<bool(const std::string& path)>& exists,
                               const std::function<void()>& beforeDropping = {},
                               bool parallel = false);

// Removes the entries at `rows` (ascending, distinct, each inside the list) in
// one pass; the rest keep their order.
void RemoveEntriesAt(EntryList& list, const std::vector<int>& rows);

// The lines of a list file, kept as the file's text and where each line
// starts: a list is read whole at start, and a file of millions of short or
// empty lines must cost a few bytes a line, not a string each.
class ListLines {
 public:
  ListLines() = default;
  explicit ListLines(std::string text);

  std::size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  std::string_view operator[](std::size_t i) const;
  std::vector<std::string> Strings() const;

  class Iterator {
   public:
    Iterator(const ListLines* lines, std::size_t i) : lines_(lines), i_(i) {}
    std::string_view operator*() const { return (*lines_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return i_ == other.i_; }

   private:
    const ListLines* lines_;
    std::size_t i_;
  };
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, size()}; }

 private:
  std::string text_;
  std::vector<std::uint32_t> starts_;
};

// List files beyond this size are refused: 300,000 pictures with long paths
// fit in it, and the lines of a larger file of empty lines would cost more
// than the program is allowed to hold for them.
inline constexpr std::int64_t kMaxListFileBytes = 32LL << 20;

// The lines of a list file (CR LF, lone CR, lone LF; a last line without an
// end; reading stops at the first NUL byte).
Result<ListLines> ReadListFile(const std::string& path);

// Writes each entry's path followed by CR LF, through a temporary file that is
// renamed into place, so a failure never leaves a truncated list.
Status WriteListFile(const std::string& path, const EntryList& list);

// Start-up reading: every path whose picture probes becomes an entry (no
// extension rule, no separate existence test), then duplicates are removed.
// Each distinct path is probed once, however often it is listed.  With
// `threads` above one the probes run on that many threads (the probe must
// then be safe to call from several at once); the result is the same.
void EntriesFromPaths(const ListLines& paths, EntryList& list, const PictureProbe& probe,
                      unsigned threads = 1);
void EntriesFromPaths(const std::vector<std::string>& paths, EntryList& list,
                      const PictureProbe& probe);

// The list editor's loading: AddPictureFile for each distinct line, in the
// order of their first appearance.
void AddListedPictures(EntryList& list, const ListLines& lines, const PictureProbe& probe);

}  // namespace vendaro
