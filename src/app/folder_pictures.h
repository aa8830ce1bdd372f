#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/entry_list.h"
#include "model/folder_rows.h"

namespace vendaro {

// How deep below its folder a row with subfolders looks, and how many
// folders it looks at in all: a link that leads back up must not make the
// walk endless.
inline constexpr int kMaxFolderDepth = 16;
inline constexpr std::size_t kMaxFoldersOfRow = 4096;

// The folders whose content makes up the row: its own, and with subfolders
// every folder below it.  Each ends in '/'.
std::vector<std::string> FoldersOfRow(const FolderRow& row);

// The files of the row's folders with a name the program takes (folders
// left out), in no particular order.
std::vector<std::string> PicturePathsOfRow(const FolderRow& row);

// The row's pictures in name order, each measured by `probe` (on `threads`
// threads); one that does not measure is left out.
EntryList FolderPictures(const FolderRow& row, const PictureProbe& probe, unsigned threads = 1);

// `probe`, except that a picture among `known` keeps the size it has there:
// a folder looked at again measures only what is new in it.
PictureProbe KnownSizesFirst(std::span<const WallpaperEntry> known, PictureProbe probe);

}  // namespace vendaro
