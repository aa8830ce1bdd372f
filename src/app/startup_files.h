#pragma once

#include <string>

#include "model/entry_list.h"
#include "system/status.h"

namespace vendaro {

// Moves the older list file "vendaro.cfg" to "default.vdl" in the data
// folder, never over an existing "default.vdl" (both then stay as they are).
// True when the file was moved.
bool MoveLegacyList(const std::string& dataFolder);

// Reads "default.vdl" of the data folder into `list`, every picture measured
// by `probe`.  No file gives an empty list; a file that cannot be read gives
// an error and leaves the list empty.
Status LoadActiveList(const std::string& dataFolder, EntryList& list, const PictureProbe& probe);

}  // namespace vendaro
