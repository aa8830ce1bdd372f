#include "app/startup_files.h"

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
  ListFileLines file = ReadListFile(path);
  if (!file.status) return file.status;
  EntriesFromPaths(file.lines, list, probe);
  return Status::Ok();
}

}  // namespace vendaro
