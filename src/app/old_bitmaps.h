#pragma once

#include <cstdint>
#include <string>

namespace vendaro {

// Earlier versions left one bitmap a list position in the temp folder,
// "<n>wall.bmp".  Removes those whose number is in [from, to) and is not
// `keep`.  The folder is read once, so the cost follows what it holds, not
// the length of the list.
void RemoveOldBitmaps(const std::string& tempFolder, std::int64_t from, std::int64_t to,
                      std::int64_t keep = -1);

}  // namespace vendaro
