#include "app/first_start.h"

#include "system/files.h"

namespace vendaro {

bool TakeFirstStart(const std::string& dataFolder, bool listEmpty) {
  if (!listEmpty || dataFolder.empty()) return false;
  const std::string marker = dataFolder + kFirstStartMarker;
  if (PathExists(marker)) return false;
  return ReplaceFileContents(marker, "") == 0;
}

}  // namespace vendaro
