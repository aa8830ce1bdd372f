#pragma once

#include <string>

namespace vendaro {

// ${XDG_CONFIG_HOME:-~/.config}/Vendaro/, created (one level) when missing;
// the executable's folder when no home can be named.  Ends with '/'.
std::string ResolveDataFolder();

// ${XDG_STATE_HOME:-~/.local/state}/Vendaro/, created private to the user
// (mode 0700); an existing folder of ours is tightened to 0700.  Ends with '/'.
// Empty when no home can be named and the folder cannot be made.
std::string ResolveTempFolder();

// ${XDG_CACHE_HOME:-~/.cache}/Vendaro/, created private to the user: what the
// program may lose at any time without losing anything of the user's.  Ends
// with '/'; empty when it cannot be made.
std::string ResolveCacheFolder();

}  // namespace vendaro
