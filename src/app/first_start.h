#pragma once

// The first start: the settings window opens once by itself, with a hint
// where pictures are added, when the program starts with an empty list.

#include <string>

namespace vendaro {

// The marker's name in the data folder.  A file of its own rather than a
// key in the settings file: every version rewrites that file whole, so an
// older one would drop a key it does not know and the hint would come back.
inline constexpr const char* kFirstStartMarker = "first-start-done";

// True once per data folder: when the list is empty and the marker is not
// there yet, in which case the marker is written.  A marker that cannot be
// written means no hint, so that it never comes back on every start.
bool TakeFirstStart(const std::string& dataFolder, bool listEmpty);

}  // namespace vendaro
