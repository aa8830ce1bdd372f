#include "model/entry_list.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "model/folder_rows.h"
#include "system/files.h"

namespace vendaro {
namespace {

// A folder row of a list file stays a row, its pictures found later.
bool AppendFolderRow(EntryList& list, std::string_view line) {
  if (!line.ends_with('/') && !line.ends_with('*')) return false;
  const std::optional<FolderRow> row = FolderRowOf(line);
  if (row) list.push_back(MakeEntry(FolderRowPath(*row), 0, 0));
  return row.has_value();
}

void AppendProbed(EntryList& list, const std::string& path, const PictureProbe& probe) {
  if (!IsStorablePath(path) || AppendFolderRow(list, path)) return;
  const Result<PictureSize> size = probe(path);
  if (size) list.push_back(MakeEntry(path, size->width, size->height));
}

// Calls `take` with each line that is not empty (no picture has an empty
// path) and has not been seen before, in order.
template <typename Lines, typename Take>
void ForEachDistinctLine(const Lines& lines, const Take& take) {
  std::unordered_set<std::string_view> seen;
  for (const std::string_view line : lines)
    if (!line.empty() && seen.insert(line).second) take(line);
}

// Entries by value, held as pointers into their lists.
struct EntryHash {
  std::size_t operator()(const WallpaperEntry* e) const {
    const std::uint64_t size =
        std::uint64_t(std::uint32_t(e->width)) << 32 | std::uint32_t(e->height);
    return std::hash<std::string_view>()(e->path) ^ std::hash<std::uint64_t>()(size);
  }
};
struct EntryEqual {
  bool operator()(const WallpaperEntry* a, const WallpaperEntry* b) const { return *a == *b; }
};
using EntrySet = std::unordered_set<const WallpaperEntry*, EntryHash, EntryEqual>;

// Keeps the entries for which `keep(i)` is true, asked once for each index
// in ascending order, moving each kept entry at most once: erasing entries
// one by one would move the rest every time.  Returns how many went.
template <typename Keep>
std::size_t KeepOnly(EntryList& list, const Keep& keep) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!keep(i)) continue;
    if (out != i) list[out] = std::move(list[i]);
    ++out;
  }
  const std::size_t removed = list.size() - out;
  list.resize(out);
  return removed;
}

// Probes every path, `threads` at a time, each thread taking the next few
// paths not yet taken: pictures of very different header sizes keep every
// thread busy to the end.  An exception from a probe is thrown again here.
std::vector<std::optional<PictureSize>> ProbeAll(const std::vector<std::string_view>& paths,
                                                 const PictureProbe& probe, unsigned threads) {
  constexpr std::size_t kBatch = 64;
  std::vector<std::optional<PictureSize>> sizes(paths.size());
  std::atomic<std::size_t> next{0};
  std::mutex failure;
  std::exception_ptr thrown;
  const auto work = [&] {
    try {
      for (std::size_t from; (from = next.fetch_add(kBatch)) < paths.size();) {
        for (std::size_t i = from; i < std::min(paths.size(), from + kBatch); ++i) {
          Result<PictureSize> size = probe(std::string(paths[i]));
          if (size) sizes[i] = *size;
        }
      }
    } catch (...) {
      const std::lock_guard lock(failure);
      if (!thrown) thrown = std::current_exception();
      next = paths.size();
    }
  };
  std::vector<std::thread> helpers;
  const std::size_t wanted = std::min<std::size_t>(threads, paths.size() / kBatch + 1);
  for (std::size_t t = 1; t < wanted; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no thread to be had: fewer do the work
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (thrown) std::rethrow_exception(thrown);
  return sizes;
}

}  // namespace

void AddPictureFile(EntryList& list, const std::string& path, const PictureProbe& probe) {
  if (!IsNonFolder(path) || !IsAcceptedPictureName(path)) return;
  AppendProbed(list, path, probe);
}

void RemoveDuplicateEntries(EntryList& list) {
  // Same result as comparing every pair, in linear time: an entry stays when
  // no earlier entry equals it.
  std::vector<bool> keep(list.size());
  {
    EntrySet seen(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) keep[i] = seen.insert(&list[i]).second;
  }
  KeepOnly(list, [&keep](std::size_t i) { return keep[i]; });
}

std::optional<EntryList> NewDistinctEntries(const EntryList& list, const EntryList& added) {
  EntrySet seen(list.size() + added.size());
  for (const WallpaperEntry& entry : list)
    if (!seen.insert(&entry).second) return std::nullopt;
  EntryList fresh;
  for (const WallpaperEntry& entry : added)
    if (seen.insert(&entry).second) fresh.push_back(entry);
  return fresh;
}

namespace {

// Whether each entry's file exists, asked on two threads: looking at
// 200,000 files is most of a change's wait, and each look waits on the
// system, not on the other.
std::vector<char> ExistingOnTwoThreads(const EntryList& list,
                                       const std::function<bool(const std::string& path)>& exists) {
  std::vector<char> present(list.size());
  std::exception_ptr thrown;
  const auto check = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) present[i] = exists(list[i].path) ? 1 : 0;
  };
  const std::size_t half = list.size() / 2;
  std::thread helper;
  try {
    helper = std::thread([&] {
      try {
        check(half, list.size());
      } catch (...) {
        thrown = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    check(half, list.size());  // no thread to be had
  }
  std::exception_ptr here;
  try {
    check(0, half);
  } catch (...) {
    here = std::current_exception();
  }
  if (helper.joinable()) helper.join();
  if (here) std::rethrow_exception(here);
  if (thrown) std::rethrow_exception(thrown);
  return present;
}

}  // namespace

std::size_t DropMissingEntries(EntryList& list,
                               const std::function<bool(const std::string& path)>& exists,
                               const std::function<void()>& beforeDropping, bool parallel) {
  if (parallel && list.size() >= kParallelChecksFrom) {
    const std::vector<char> present = ExistingOnTwoThreads(list, exists);
    if (std::find(present.begin(), present.end(), 0) == present.end()) return 0;
    if (beforeDropping) beforeDropping();
    return KeepOnly(list, [&present](std::size_t i) { return present[i] != 0; });
  }
  std::size_t firstGone = 0;
  while (firstGone < list.size() && exists(list[firstGone].path)) ++firstGone;
  if (firstGone == list.size()) return 0;
  if (beforeDropping) beforeDropping();
  return KeepOnly(list, [&](std::size_t i) {
    return i < firstGone || (i > firstGone && exists(list[i].path));
  });
}

void RemoveEntriesAt(EntryList& list, const std::vector<int>& rows) {
  auto next = rows.begin();
  KeepOnly(list, [&](std::size_t i) {
    if (next == rows.end() || static_cast<std::size_t>(*next) != i) return true;
    ++next;
    return false;
  });
}

ListLines::ListLines(std::string text) : text_(std::move(text)) {
  text_.resize(std::min(text_.size(), text_.find('\0')));
  const auto eachStart = [this](const auto& take) {
    std::size_t start = 0;
    while (start < text_.size()) {
      take(start);
      const std::size_t end = text_.find_first_of("\r\n", start);
      if (end == std::string::npos) break;
      start = end + 1;
      if (text_[end] == '\r' && start < text_.size() && text_[start] == '\n') ++start;
    }
  };
  // Counted first: growing the list by doubling would hold up to three
  // times what it needs while it moves.
  std::size_t count = 0;
  eachStart([&count](std::size_t) { ++count; });
  starts_.reserve(count);
  eachStart([this](std::size_t start) { starts_.push_back(static_cast<std::uint32_t>(start)); });
}

std::string_view ListLines::operator[](std::size_t i) const {
  const std::size_t start = starts_[i];
  const std::size_t next = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
  std::string_view line(text_.data() + start, next - start);
  // A line holds no CR or LF, so whatever ends it is its line end.
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

std::vector<std::string> ListLines::Strings() const {
  std::vector<std::string> lines;
  lines.reserve(size());
  for (const std::string_view line : *this) lines.emplace_back(line);
  return lines;
}

Result<ListLines> ReadListFile(const std::string& path) {
  FileBytes file = ReadWholeFile(path, kMaxListFileBytes);
  if (file.error == EFBIG)
    return Status::Error("Plik „" + path + "” ma ponad " + std::to_string(kMaxListFileBytes >> 20) +
                         " MB: to nie jest lista obrazków.");
  if (file.error != 0)
    return Status::Error("Cannot open file \"" + path + "\". " + ErrorText(file.error));
  return ListLines(std::move(file.bytes));
}

Status WriteListFile(const std::string& path, const EntryList& list) {
  std::string text;
  for (const WallpaperEntry& entry : list) text.append(entry.path).append("\r\n");
  if (const int err = ReplaceFileContents(path, text)) {
    return Status::Error("Cannot create file \"" + path + "\". " + ErrorText(err));
  }
  return Status::Ok();
}

void EntriesFromPaths(const ListLines& paths, EntryList& list, const PictureProbe& probe,
                      unsigned threads) {
  // A path listed again would probe to the same entry, which would then be
  // removed as a duplicate: each is probed once.
  if (threads <= 1) {
    ForEachDistinctLine(
        paths, [&](std::string_view path) { AppendProbed(list, std::string(path), probe); });
  } else {
    std::vector<std::string_view> distinct;
    ForEachDistinctLine(paths, [&distinct](std::string_view path) {
      if (IsStorablePath(path)) distinct.push_back(path);
    });
    // A folder row is not a picture to measure.
    const PictureProbe pictures = [&probe](const std::string& path) -> Result<PictureSize> {
      if (FolderRowOf(path)) return Status::Error(path);
      return probe(path);
    };
    const std::vector<std::optional<PictureSize>> sizes = ProbeAll(distinct, pictures, threads);
    list.reserve(list.size() + distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
      if (sizes[i]) {
        list.push_back(MakeEntry(distinct[i], sizes[i]->width, sizes[i]->height));
      } else {
        AppendFolderRow(list, distinct[i]);
      }
    }
  }
  RemoveDuplicateEntries(list);
}

void EntriesFromPaths(const std::vector<std::string>& paths, EntryList& list,
                      const PictureProbe& probe) {
  ForEachDistinctLine(paths,
                      [&](std::string_view path) { AppendProbed(list, std::string(path), probe); });
  RemoveDuplicateEntries(list);
}

void AddListedPictures(EntryList& list, const ListLines& lines, const PictureProbe& probe) {
  ForEachDistinctLine(lines, [&](std::string_view path) {
    if (!AppendFolderRow(list, path)) AddPictureFile(list, std::string(path), probe);
  });
}

}  // namespace vendaro
