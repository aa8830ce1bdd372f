#include "model/entry_list.h"

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

std::vector<std::string> SplitListText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

Result<std::vector<std::string>> ReadListFile(const std::string& path) {
  const FileBytes file = ReadWholeFile(path);
  if (file.error != 0)
    return Status::Error("Cannot open file \"" + path + "\". " + ErrorText(file.error));
  return SplitListText(file.bytes);
}

Status WriteListFile(const std::string& path, const EntryList& list) {
  std::string text;
  for (const WallpaperEntry& entry : list) text.append(entry.path).append("\r\n");
  if (const int err = ReplaceFileContents(path, text)) {
    return Status::Error("Cannot create file \"" + path + "\". " + ErrorText(err));
  }
  return Status::Ok();
}

void EntriesFromPaths(const std::vector<std::string>& paths, EntryList& list,
                      const PictureProbe& probe) {
  list.reserve(list.size() + paths.size());
  for (const std::string& path : paths) AppendProbed(list, path, probe);
  RemoveDuplicateEntries(list);
}

}  // namespace vendaro
