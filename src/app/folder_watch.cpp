#include "app/folder_watch.h"

#include <QFileSystemWatcher>
#include <QStorageInfo>
#include <array>
#include <string_view>
#include <utility>

#include "app/folder_pictures.h"
#include "platform/session/path_text.h"

namespace vendaro {

bool TellsAllChanges(const std::string& folder) {
  // inotify sees only what this machine does to these.
  static constexpr std::array<std::string_view, 9> kNetwork = {
      "nfs", "cifs", "smb", "fuse.sshfs", "9p", "afs", "ceph", "glusterfs", "fuse.rclone"};
  const std::string type = QStorageInfo(PathText(folder)).fileSystemType().toStdString();
  for (std::string_view network : kNetwork)
    if (type.starts_with(network)) return false;
  return true;
}

FolderWatch::FolderWatch(Changed changed, int settleMs, QObject* parent)
    : QObject(parent), changed_(std::move(changed)), watcher_(new QFileSystemWatcher(this)) {
  settle_.setSingleShot(true);
  settle_.setInterval(settleMs);
  connect(&settle_, &QTimer::timeout, this, &FolderWatch::Settled);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::FolderChanged);
}

FolderWatch::~FolderWatch() = default;

void FolderWatch::Follow(const EntryList& rows) {
  std::map<std::string, std::set<std::string>> wanted;
  std::set<std::string> unwatched;
  for (const WallpaperEntry& entry : rows) {
    const std::optional<FolderRow> row =
        IsFolderRow(entry) ? FolderRowOf(entry.path) : std::nullopt;
    if (!row) continue;
    if (!TellsAllChanges(row->folder)) {
      unwatched.insert(entry.path);
      continue;
    }
    for (const std::string& folder : FoldersOfRow(*row)) wanted[folder].insert(entry.path);
  }
  QStringList gone;
  for (const auto& [folder, owners] : rowsOfFolder_)
    if (!wanted.contains(folder)) gone << PathText(folder);
  if (!gone.isEmpty()) watcher_->removePaths(gone);
  QStringList added;
  for (const auto& [folder, owners] : wanted)
    if (!rowsOfFolder_.contains(folder)) added << PathText(folder);
  // A folder refused (no watch left, or gone already) is looked at before
  // each change instead.
  const QStringList refused = added.isEmpty() ? QStringList() : watcher_->addPaths(added);
  for (const QString& folder : refused) {
    const auto at = wanted.find(PathBytes(folder));
    if (at == wanted.end()) continue;
    unwatched.insert(at->second.begin(), at->second.end());
    wanted.erase(at);
  }
  rowsOfFolder_ = std::move(wanted);
  unwatched_ = std::move(unwatched);
}

std::vector<std::string> FolderWatch::watchedFolders() const {
  std::vector<std::string> folders;
  for (const auto& [folder, owners] : rowsOfFolder_) folders.push_back(folder);
  return folders;
}

void FolderWatch::FolderChanged(const QString& folder) {
  std::string path = PathBytes(folder);
  if (!path.ends_with('/')) path += '/';
  const auto at = rowsOfFolder_.find(path);
  if (at == rowsOfFolder_.end()) return;
  pending_.insert(at->second.begin(), at->second.end());
  // Copying a few hundred pictures in is one change, told once.
  settle_.start();
}

void FolderWatch::Settled() {
  if (pending_.empty()) return;
  const std::vector<std::string> rows(pending_.begin(), pending_.end());
  pending_.clear();
  changed_(rows);
}

}  // namespace vendaro
