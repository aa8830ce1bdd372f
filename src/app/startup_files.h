#pragma once

#include <string>

#include "model/entry_list.h"
#include "system/status.h"

namespace vendaro {

// Moves the older list file "vendaro.cfg" to "default.vdl" in the data
// folder, never over an existing "default.vdl" (both then stay as they are).
// True when the file was moved.
bool MoveLegacyList(const std::string& dataFolder);

// The file in the cache folder that remembers the pictures' sizes.
inline constexpr const char* kSizeCacheName = "picture-sizes";

// Reads "default.vdl" of the data folder into `list`, every picture measured
// by `probe` unless the size cache of `cacheFolder` remembers it (an empty
// folder: no cache).  No file gives an empty list; a file that cannot be read
// gives an error and leaves the list empty.
Status LoadActiveList(const std::string& dataFolder, const std::string& cacheFolder,
                      EntryList& list, const PictureProbe& probe);

}  // namespace vendaro
