#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/folder_rows.h"

class QFileSystemWatcher;

namespace vendaro {

// Follows the folders of the list's folder rows.  A change in a folder is
// told once things have been still for `settleMs`, as the folder rows whose
// pictures may have changed, each row once however many of its files moved.
// A folder no watcher can follow (the system's limit of watches reached, a
// network file system whose changes made elsewhere are never told) is kept
// apart: its rows are to be looked at again before each change of picture.
class FolderWatch : public QObject {
  Q_OBJECT

 public:
  using Changed = std::function<void(const std::vector<std::string>& rowPaths)>;
  FolderWatch(Changed changed, int settleMs, QObject* parent = nullptr);
  ~FolderWatch() override;

  // Watches the folders of every folder row of `rows` and no others.
  void Follow(const EntryList& rows);
  // The rows (as their paths) with a folder no watcher follows.
  const std::set<std::string>& unwatchedRows() const { return unwatched_; }
  // The folders watched now.
  std::vector<std::string> watchedFolders() const;

 private:
  void FolderChanged(const QString& folder);
  void Settled();

  Changed changed_;
  QFileSystemWatcher* watcher_;
  QTimer settle_;
  // Each watched folder and the rows it belongs to.
  std::map<std::string, std::set<std::string>> rowsOfFolder_;
  std::set<std::string> pending_;
  std::set<std::string> unwatched_;
};

// Whether the file system of `folder` tells changes made on other machines
// too; false for network file systems.
bool TellsAllChanges(const std::string& folder);

}  // namespace vendaro
