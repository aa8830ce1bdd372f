#include "app/startup_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "model/settings.h"

namespace vendaro {

bool MoveLegacyList(const std::string& dataFolder) {
  std::string from = dataFolder + kLegacyListName;
  std::string to = dataFolder + kDefaultListName;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  // File systems without RENAME_NOREPLACE: a hard link also refuses to
  // replace an existing name.
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (link(from.c_str(), to.c_str()) != 0) return false;
  unlink(from.c_str());
  return true;
}

Status LoadActiveList(const std::string& dataFolder, EntryList& list, const PictureProbe& probe) {
  list.clear();
  std::string path = dataFolder + kDefaultListName;
  if (access(path.c_str(), F_OK) != 0) return Status::Ok();
  ListFileLines file = ReadListFile(path);
  if (!file.status) return file.status;
  EntriesFromPaths(file.lines, list, probe);
  return Status::Ok();
}

}  // namespace vendaro
