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
// gives an error and leaves the list empty.  A folder row of the file puts
// its folder's pictures in the list, measured the same way; with `rows`, the
// file's rows go there when it has folder rows (else it is left empty).
Status LoadActiveList(const std::string& dataFolder, const std::string& cacheFolder,
                      EntryList& list, const PictureProbe& probe, EntryList* rows = nullptr);

}  // namespace vendaro
