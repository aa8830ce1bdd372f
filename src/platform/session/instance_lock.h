#pragma once

#include <QLockFile>
#include <memory>
#include <string>

namespace vendaro {

// One running copy per executable name and user.  The lock lives in the
// user's runtime folder and dies with the process, however it dies.
class InstanceLock {
 public:
  explicit InstanceLock(const std::string& executableName);
  // True when this process now holds the lock; false when another live copy
  // does.
  bool TryAcquire();
  std::string path() const;

 private:
  std::unique_ptr<QLockFile> lock_;
  std::string path_;
};

}  // namespace vendaro
