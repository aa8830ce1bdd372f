#pragma once

#include <string>
#include <vector>

#include "app/name_order.h"
#include "model/entry_list.h"

namespace vendaro {

// The selection marks of the edited list and its current row (-1: none).
struct ListSelection {
  std::vector<bool> selected;
  int current = -1;
};

// Every selected entry moves one place up and stays selected; nothing happens
// when nothing is selected, the list has fewer than two entries or the first
// entry is selected.  True when the list changed.
bool MoveSelectedUp(EntryList& entries, ListSelection& selection);
// The mirror image: blocked by a selected last entry.
bool MoveSelectedDown(EntryList& entries, ListSelection& selection);

// The current row once `rows` (in any order; repeats and rows outside the
// list are ignored) are taken out of a list of `count`: a row kept stays
// current under its new number; a removed one hands over to the nearest row
// kept above it, or with none above to the first row kept.  -1 when no row
// is current or none is left.
int CurrentAfterRemoval(std::vector<int> rows, int current, int count);

// Whole entry strings, ascending, without regard to case, in the user's
// locale order (so by full path, folder first).
inline void SortEntries(EntryList& entries) {
  SortByName(entries);
}

// The files of a folder that were left out.
struct FolderScan {
  std::size_t unsupported = 0;  // of a format the program does not take
  std::size_t unreadable = 0;   // of a taken format, but not measured
};

// Appends the pictures directly inside `folder` (a path ending in '/'), in
// the order SortEntries gives them; subfolders are not entered.
FolderScan ScanFolder(const std::string& folder, EntryList& list, const PictureProbe& probe);

// A dropped or chosen item: a folder is scanned, anything else added as a
// file.  What a scanned folder left out is added to `left`.
void AddDroppedItem(const std::string& path, EntryList& list, const PictureProbe& probe,
                    FolderScan& left);

// A row standing for the pictures in `folder` (a path ending in '/'), and
// with `subfolders` in every folder below it; it counts the pictures' names
// there now.
WallpaperEntry FollowedFolderRow(const std::string& folder, bool subfolders);

// The one message telling what a scan left out, in Polish with the counts'
// plural forms; empty when nothing was.
std::string LeftOutMessage(const FolderScan& left);

}  // namespace vendaro
