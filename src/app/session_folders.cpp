// The folder rows of the list: their pictures in the active list, and the
// watch that keeps them up to date while the program runs.
#include <algorithm>
#include <span>
#include <unordered_set>
#include <utility>

#include "app/folder_pictures.h"
#include "app/folder_watch.h"
#include "app/name_order.h"
#include "app/resident_session.h"
#include "model/folder_rows.h"

namespace vendaro {
namespace {

constexpr int kFolderSettleMs = 500;

std::span<const WallpaperEntry> PicturesOfRow(const EntryList& rows, const EntryList& list,
                                              std::size_t row) {
  const std::size_t start = std::min(RotationStart(rows, row), list.size());
  const std::size_t count = std::min(RowSpan(rows[row]), list.size() - start);
  return {list.data() + start, count};
}

}  // namespace

const EntryList& ResidentSession::listRows() const {
  if (rows_.empty()) return activeList();
  if (rowsBehind_) {
    FollowDroppedEntries(rows_, activeList());
    rowsBehind_ = false;
  }
  return rows_;
}

void ResidentSession::TakeFolderRows(EntryList rows, int currentRow) {
  ResidentState& s = state();
  if (listWatcher_) listWatcher_();
  // A folder already in the list keeps the sizes measured for it.
  const PictureProbe probe = KnownSizesFirst(s.list, pictureProbe());
  s.list = ExpandRows(rows, [&](const FolderRow& row) { return FolderPictures(row, probe); });
  const auto row = static_cast<std::size_t>(std::max(currentRow, 0));
  s.settings.CurrentPosition = static_cast<std::int32_t>(RotationStart(rows, row));
  rows_ = std::move(rows);
  rowsBehind_ = false;
  FollowFolders();
}

void ResidentSession::FollowFolders() {
  if (rows_.empty()) {
    folderWatch_.reset();
    return;
  }
  if (!folderWatch_) {
    const int settle = services_.folderSettleMs > 0 ? services_.folderSettleMs : kFolderSettleMs;
    folderWatch_ = std::make_unique<FolderWatch>(
        [this](const std::vector<std::string>& rowPaths) { LookAtFolders(rowPaths); }, settle);
  }
  folderWatch_->Follow(rows_);
}

void ResidentSession::LookAtFolders(const std::vector<std::string>& rowPaths) {
  // Measuring in the helpers answers events, among them the watch's next
  // report: that one waits for this one to end.
  if (lookingAtFolders_) {
    foldersWaiting_.insert(foldersWaiting_.end(), rowPaths.begin(), rowPaths.end());
    return;
  }
  lookingAtFolders_ = true;
  listRows();  // the rows caught up with what the changes dropped
  bool followAgain = false;
  bool told = false;
  ResidentState& s = state();
  for (const std::string& path : rowPaths) {
    const auto at = std::find_if(rows_.begin(), rows_.end(), [&](const WallpaperEntry& row) {
      return row.path == path && IsFolderRow(row);
    });
    if (at == rows_.end()) continue;
    const auto row = static_cast<std::size_t>(at - rows_.begin());
    const FolderRow folder = *FolderRowOf(path);
    // Folders may have come or gone below it, or come to be watched.
    followAgain = followAgain || folder.subfolders ||
                  (folderWatch_ && folderWatch_->unwatchedRows().contains(path));
    EntryList pictures =
        FolderPictures(folder, KnownSizesFirst(PicturesOfRow(rows_, s.list, row), pictureProbe()));
    if (!told && listWatcher_) listWatcher_();
    told = true;
    RotationPositions positions{s.settings.CurrentPosition, s.settings.PreviousPosition};
    ReplaceFolderPictures(rows_, s.list, row, std::move(pictures), positions);
    s.settings.CurrentPosition = positions.current;
    s.settings.PreviousPosition = positions.previous;
  }
  if (followAgain) FollowFolders();
  lookingAtFolders_ = false;
  if (!foldersWaiting_.empty()) LookAtFolders(std::exchange(foldersWaiting_, {}));
}

void ResidentSession::LookAtUnwatchedFolders() {
  if (!folderWatch_ || folderWatch_->unwatchedRows().empty()) return;
  listRows();
  // Only the names are read; a folder whose pictures are the same is left.
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!folderWatch_->unwatchedRows().contains(rows_[i].path)) continue;
    std::unordered_set<std::string_view> now;
    for (const WallpaperEntry& picture : PicturesOfRow(rows_, activeList(), i))
      now.insert(picture.path);
    const std::vector<std::string> found = PicturePathsOfRow(*FolderRowOf(rows_[i].path));
    const bool same = found.size() == now.size() &&
                      std::all_of(found.begin(), found.end(),
                                  [&](const std::string& path) { return now.contains(path); });
    if (!same) changed.push_back(rows_[i].path);
  }
  if (!changed.empty()) LookAtFolders(changed);
}

std::optional<WallpaperEntry> ResidentSession::FirstPictureOf(const std::string& rowPath) const {
  const std::optional<FolderRow> folder = FolderRowOf(rowPath);
  if (!folder) return std::nullopt;
  const EntryList& rows = listRows();
  if (&rows == &rows_) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].path != rowPath) continue;
      const std::span<const WallpaperEntry> pictures = PicturesOfRow(rows_, activeList(), i);
      if (!pictures.empty()) return pictures.front();
      break;
    }
  }
  // A row not taken yet: the names put in order, only the first that
  // measures is measured.
  EntryList named;
  for (std::string& path : PicturePathsOfRow(*folder)) named.push_back(MakeEntry(path, 0, 0));
  SortByName(named);
  const PictureProbe probe = pictureProbe();
  for (const WallpaperEntry& candidate : named) {
    const Result<PictureSize> size = probe(candidate.path);
    if (size) return MakeEntry(candidate.path, size->width, size->height);
  }
  return std::nullopt;
}

}  // namespace vendaro
