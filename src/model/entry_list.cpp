#include "model/entry_list.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unordered_set>

#include "system/files.h"

namespace vendaro {
namespace {

void AppendProbed(EntryList& list, const std::string& path, const PictureProbe& probe) {
  if (!IsStorablePath(path)) return;
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

}  // namespace

void AddPictureFile(EntryList& list, const std::string& path, const PictureProbe& probe) {
  if (!IsNonFolder(path) || !IsAcceptedPictureName(path)) return;
  AppendProbed(list, path, probe);
}

void RemoveDuplicateEntries(EntryList& list) {
  // Same result as comparing every pair, in linear time: an entry stays when
  // no earlier entry equals it.
  const auto hash = [](const WallpaperEntry* e) {
    const std::uint64_t size =
        std::uint64_t(std::uint32_t(e->width)) << 32 | std::uint32_t(e->height);
    return std::hash<std::string_view>()(e->path) ^ std::hash<std::uint64_t>()(size);
  };
  const auto equal = [](const WallpaperEntry* a, const WallpaperEntry* b) { return *a == *b; };
  std::vector<bool> keep(list.size());
  {
    std::unordered_set<const WallpaperEntry*, decltype(hash), decltype(equal)> seen(list.size(),
                                                                                    hash, equal);
    for (std::size_t i = 0; i < list.size(); ++i) keep[i] = seen.insert(&list[i]).second;
  }
  std::size_t out = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!keep[i]) continue;
    if (out != i) list[out] = std::move(list[i]);
    ++out;
  }
  list.resize(out);
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
    return Status::Error("The file \"" + path + "\" is larger than " +
                         std::to_string(kMaxListFileBytes >> 20) + " MB: not a list of pictures.");
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

void EntriesFromPaths(const ListLines& paths, EntryList& list, const PictureProbe& probe) {
  // A path listed again would probe to the same entry, which would then be
  // removed as a duplicate: each is probed once.
  ForEachDistinctLine(paths,
                      [&](std::string_view path) { AppendProbed(list, std::string(path), probe); });
  RemoveDuplicateEntries(list);
}

void EntriesFromPaths(const std::vector<std::string>& paths, EntryList& list,
                      const PictureProbe& probe) {
  ForEachDistinctLine(paths,
                      [&](std::string_view path) { AppendProbed(list, std::string(path), probe); });
  RemoveDuplicateEntries(list);
}

void AddListedPictures(EntryList& list, const ListLines& lines, const PictureProbe& probe) {
  ForEachDistinctLine(
      lines, [&](std::string_view path) { AddPictureFile(list, std::string(path), probe); });
}

}  // namespace vendaro
