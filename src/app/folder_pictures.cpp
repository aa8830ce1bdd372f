#include "app/folder_pictures.h"

#include <memory>
#include <unordered_map>
#include <utility>

#include "app/name_order.h"
#include "system/files.h"

namespace vendaro {
namespace {

// Calls `take(folder, names)` for the row's folder and, with subfolders,
// for every folder below it, each listed once.
template <typename Take>
void WalkRow(const FolderRow& row, const Take& take) {
  std::vector<std::pair<std::string, int>> waiting = {{row.folder, 0}};
  std::size_t seen = 0;
  while (!waiting.empty() && seen < kMaxFoldersOfRow) {
    auto [folder, depth] = std::move(waiting.back());
    waiting.pop_back();
    ++seen;
    std::vector<std::string> files;
    for (std::string& name : FolderEntryNames(folder)) {
      std::string path = folder + name;
      if (!IsFolder(path)) {
        files.push_back(std::move(path));
      } else if (row.subfolders && depth < kMaxFolderDepth) {
        waiting.emplace_back(path + '/', depth + 1);
      }
    }
    take(folder, files);
  }
}

}  // namespace

std::vector<std::string> FoldersOfRow(const FolderRow& row) {
  std::vector<std::string> folders;
  WalkRow(row, [&](const std::string& folder, const std::vector<std::string>&) {
    folders.push_back(folder);
  });
  return folders;
}

std::vector<std::string> PicturePathsOfRow(const FolderRow& row) {
  std::vector<std::string> paths;
  WalkRow(row, [&](const std::string&, std::vector<std::string>& files) {
    for (std::string& path : files)
      if (IsAcceptedPictureName(path) && IsStorablePath(path)) paths.push_back(std::move(path));
  });
  return paths;
}

EntryList FolderPictures(const FolderRow& row, const PictureProbe& probe, unsigned threads) {
  std::string text;
  for (const std::string& path : PicturePathsOfRow(row)) text.append(path).append("\n");
  EntryList pictures;
  EntriesFromPaths(ListLines(std::move(text)), pictures, probe, threads);
  SortByName(pictures);
  return pictures;
}

PictureProbe KnownSizesFirst(std::span<const WallpaperEntry> known, PictureProbe probe) {
  auto sizes = std::make_shared<std::unordered_map<std::string, PictureSize>>();
  sizes->reserve(known.size());
  for (const WallpaperEntry& entry : known)
    sizes->emplace(entry.path, PictureSize{entry.width, entry.height});
  return [sizes, probe = std::move(probe)](const std::string& path) -> Result<PictureSize> {
    const auto found = sizes->find(path);
    if (found != sizes->end()) return found->second;
    return probe(path);
  };
}

}  // namespace vendaro
