#include "platform/session/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/session/path_text.h"

namespace vendaro {

InstanceLock::InstanceLock(const std::string& executableName) {
  // Qt names a private runtime folder where XDG_RUNTIME_DIR is unset.
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  path_ = PathBytes(QDir(folder).filePath(PathText(executableName) + ".lock"));
  lock_ = std::make_unique<QLockFile>(PathText(path_));
  // A lock whose owner died is taken over at once; the owner's pid is checked,
  // so no age limit is needed for a running program.
  lock_->setStaleLockTime(0);
}

// Only a lock held by another copy refuses the start; a lock file that cannot
// be made at all counts as no other copy running.
bool InstanceLock::TryAcquire() {
  return lock_->tryLock(0) || lock_->error() != QLockFile::LockFailedError;
}

std::string InstanceLock::path() const {
  return path_;
}

}  // namespace vendaro
