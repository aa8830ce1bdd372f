#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/wallpaper_entry.h"
#include "system/status.h"

namespace vendaro {

using EntryList = std::vector<WallpaperEntry>;

// A picture's size, upright (after any stored orientation).
struct PictureSize {
  int width = 0;
  int height = 0;
};

// Probing is passed in, so the list rules test without real pictures.  The
// real one is ProbePicture (compose/probe.h); an error when the picture
// cannot be opened or measured.
using PictureProbe = std::function<Result<PictureSize>(const std::string& path)>;

// Appends at most one entry: the file must exist, have an accepted extension
// and probe successfully.  Does not look for duplicates.
void AddPictureFile(EntryList& list, const std::string& path, const PictureProbe& probe);

// Removes later byte-equal copies in place; the first occurrence keeps its
// place and the order of the rest is unchanged.
void RemoveDuplicateEntries(EntryList& list);

// The lines of a list file (CR LF, lone CR, lone LF; a last line without an
// end; reading stops at the first NUL byte).
Result<std::vector<std::string>> ReadListFile(const std::string& path);

// The splitting rule of ReadListFile, for text already in memory.
std::vector<std::string> SplitListText(std::string_view text);

// Writes each entry's path followed by CR LF, through a temporary file that is
// renamed into place, so a failure never leaves a truncated list.
Status WriteListFile(const std::string& path, const EntryList& list);

// Start-up reading: every path whose picture probes becomes an entry (no
// extension rule, no separate existence test), then duplicates are removed.
void EntriesFromPaths(const std::vector<std::string>& paths, EntryList& list,
                      const PictureProbe& probe);

}  // namespace vendaro
