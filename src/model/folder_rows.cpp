#include "model/folder_rows.h"

#include <iterator>
#include <unordered_map>
#include <utility>

namespace vendaro {
namespace {

constexpr std::string_view kSubfoldersMark = "**";
constexpr std::string_view kSubfoldersEnd = "/**";

}  // namespace

std::optional<FolderRow> FolderRowOf(std::string_view path) {
  bool subfolders = false;
  if (path.ends_with(kSubfoldersEnd)) {
    path.remove_suffix(kSubfoldersMark.size());
    subfolders = true;
  }
  if (!path.ends_with('/') || !IsStorablePath(path)) return std::nullopt;
  return FolderRow{std::string(path), subfolders};
}

std::string FolderRowPath(const FolderRow& row) {
  std::string path = row.folder;
  if (!path.ends_with('/')) path += '/';
  if (row.subfolders) path += kSubfoldersMark;
  return path;
}

bool IsFolderRow(const WallpaperEntry& entry) {
  // Cheap first: a picture's path ends in its file name.
  const bool looksLike = entry.path.ends_with('/') || entry.path.ends_with(kSubfoldersMark);
  return looksLike && FolderRowOf(entry.path).has_value();
}

bool HasFolderRows(const EntryList& rows) {
  for (const WallpaperEntry& row : rows)
    if (IsFolderRow(row)) return true;
  return false;
}

bool FolderHolds(const FolderRow& row, std::string_view path) {
  if (!path.starts_with(row.folder) || path.size() == row.folder.size()) return false;
  return row.subfolders || path.find('/', row.folder.size()) == std::string_view::npos;
}

std::size_t RowSpan(const WallpaperEntry& row) {
  if (!IsFolderRow(row)) return 1;
  return row.width > 0 ? static_cast<std::size_t>(row.width) : 0;
}

std::size_t RotationStart(const EntryList& rows, std::size_t row) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < row && i < rows.size(); ++i) start += RowSpan(rows[i]);
  return start;
}

int RowOfRotation(const EntryList& rows, std::size_t index) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    start += RowSpan(rows[i]);
    if (index < start) return static_cast<int>(i);
  }
  return -1;
}

EntryList ExpandRows(EntryList& rows,
                     const std::function<EntryList(const FolderRow&)>& picturesOf) {
  EntryList rotation;
  for (WallpaperEntry& row : rows) {
    const std::optional<FolderRow> folder = IsFolderRow(row) ? FolderRowOf(row.path) : std::nullopt;
    if (!folder) {
      rotation.push_back(row);
      continue;
    }
    EntryList pictures = picturesOf(*folder);
    row.width = static_cast<int>(pictures.size());
    row.height = 0;
    rotation.insert(rotation.end(), std::make_move_iterator(pictures.begin()),
                    std::make_move_iterator(pictures.end()));
  }
  // Grown a folder at a time, it may hold twice what it needs for as long as
  // the program runs.
  rotation.shrink_to_fit();
  return rotation;
}

void FollowDroppedEntries(EntryList& rows, const EntryList& rotation) {
  // The rotation is what the rows stood for with some entries taken out, in
  // the same order: one walk over both finds what is left of each row.
  std::size_t at = 0;
  std::size_t out = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    WallpaperEntry& row = rows[i];
    if (const std::optional<FolderRow> folder =
            IsFolderRow(row) ? FolderRowOf(row.path) : std::nullopt) {
      int left = 0;
      while (left < row.width && at < rotation.size() && FolderHolds(*folder, rotation[at].path)) {
        ++left;
        ++at;
      }
      row.width = left;
    } else if (at < rotation.size() && rotation[at] == row) {
      ++at;
    } else {
      continue;  // dropped
    }
    if (out != i) rows[out] = std::move(row);
    ++out;
  }
  rows.resize(out);
}

void ReplaceFolderPictures(EntryList& rows, EntryList& rotation, std::size_t row,
                           EntryList pictures, RotationPositions& positions) {
  const std::size_t start = std::min(RotationStart(rows, row), rotation.size());
  const std::size_t oldCount = std::min(RowSpan(rows[row]), rotation.size() - start);
  const std::size_t newCount = pictures.size();
  std::unordered_map<std::string_view, std::size_t> oldIndex;
  oldIndex.reserve(oldCount);
  for (std::size_t i = start; i < start + oldCount; ++i) oldIndex.emplace(rotation[i].path, i);

  const auto moved = [&](std::int32_t position) -> std::int32_t {
    if (position < 0 || static_cast<std::size_t>(position) < start) return position;
    const auto pos = static_cast<std::size_t>(position);
    if (pos >= start + oldCount) return static_cast<std::int32_t>(pos - oldCount + newCount);
    // Kept pictures before it in the new order; the picture itself when kept.
    std::size_t before = 0;
    for (std::size_t i = 0; i < newCount; ++i) {
      if (pictures[i].path == rotation[pos].path) return static_cast<std::int32_t>(start + i);
      const auto was = oldIndex.find(pictures[i].path);
      if (was != oldIndex.end() && was->second < pos) ++before;
    }
    return static_cast<std::int32_t>(start + before) - 1;
  };
  positions.current = moved(positions.current);
  positions.previous = moved(positions.previous);

  const auto first = rotation.begin() + static_cast<std::ptrdiff_t>(start);
  rotation.erase(first, first + static_cast<std::ptrdiff_t>(oldCount));
  rotation.insert(rotation.begin() + static_cast<std::ptrdiff_t>(start),
                  std::make_move_iterator(pictures.begin()),
                  std::make_move_iterator(pictures.end()));
  rows[row].width = static_cast<int>(newCount);
}

}  // namespace vendaro
