#include "system/old_files.h"

#include <mutex>
#include <utility>
#include <vector>

#include "system/files.h"

namespace vendaro {
namespace {

struct Waiting {
  std::mutex mutex;
  bool defer = false;
  std::vector<std::string> paths;
};

Waiting& Queue() {
  static Waiting waiting;
  return waiting;
}

}  // namespace

void RemoveOldFile(const std::string& path) {
  if (path.empty()) return;
  {
    Waiting& queue = Queue();
    std::lock_guard lock(queue.mutex);
    if (queue.defer) {
      queue.paths.push_back(path);
      return;
    }
  }
  RemoveFile(path);
}

void DeferOldFileRemovals(bool defer) {
  {
    Waiting& queue = Queue();
    std::lock_guard lock(queue.mutex);
    queue.defer = defer;
  }
  if (!defer) RemoveWaitingOldFiles();
}

void RemoveWaitingOldFiles() {
  std::vector<std::string> paths;
  {
    Waiting& queue = Queue();
    std::lock_guard lock(queue.mutex);
    paths = std::exchange(queue.paths, {});
  }
  for (const std::string& path : paths) RemoveFile(path);
}

}  // namespace vendaro
