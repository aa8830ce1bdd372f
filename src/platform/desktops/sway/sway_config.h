#pragma once

#include <string>
#include <vector>

namespace vendaro {

// Reading a sway config the way sway does, for the backgrounds it sets.

// The `output NAME bg …` commands that give back the backgrounds a sway
// config sets, in its order: single lines and `output NAME { … }` blocks,
// `bg` or `background`, comments and line continuations as sway reads them.
std::vector<std::string> SwayBackgroundCommands(const std::string& configText);

// The config file sway loaded: the first of the places sway looks in whose
// text is `loadedText` (sway tells the text it loaded, not where from).
// Empty when none is (sway was started with a config of its own choosing).
std::string SwayConfigPath(const std::string& loadedText);

// The config with the files of its `include` lines read in their place, as
// sway does: the pattern expanded like a shell word (without running
// commands), relative to the including file's folder; each file once, the
// loaded config never again.  Files that cannot be read are left out, as
// sway leaves them out.  Without `path` only absolute patterns (and `~`,
// `$HOME`) can be followed.
std::string SwayConfigWithIncludes(const std::string& text, const std::string& path);

}  // namespace vendaro
