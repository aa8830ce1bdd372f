#include "app/startup_files.h"

#include <thread>

#include "model/settings.h"
#include "system/files.h"

namespace vendaro {

bool MoveLegacyList(const std::string& dataFolder) {
  std::string from = dataFolder + kLegacyListName;
  std::string to = dataFolder + kDefaultListName;
  return MoveWithoutReplacing(from, to);
}

Status LoadActiveList(const std::string& dataFolder, EntryList& list, const PictureProbe& probe) {
  list.clear();
  std::string path = dataFolder + kDefaultListName;
  if (!PathExists(path)) return Status::Ok();
  const Result<ListLines> lines = ReadListFile(path);
  if (!lines) return lines.status();
  // Measuring a large list is most of the wait for the first wallpaper.
  EntriesFromPaths(*lines, list, probe, std::thread::hardware_concurrency());
  return Status::Ok();
}

}  // namespace vendaro
