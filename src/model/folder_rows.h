#pragma once

// Rows of the list that stand for a folder.  Such a row is an entry whose
// path is its line in the list file:
//
//   /home/ola/Tapety/     the pictures directly in the folder
//   /home/ola/Tapety/**   the pictures in it and in every folder below it
//
// and whose width is how many pictures it stands for now (its height is 0).
// Neither line loads as a picture, so a version of the program that knows
// no folder rows drops them as missing files and keeps the rest.
//
// The rotation (what the changes walk) is the rows with each folder row
// replaced by its pictures in name order: a list without folder rows is its
// own rotation.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/entry_list.h"

namespace vendaro {

struct FolderRow {
  std::string folder;  // ends in '/'
  bool subfolders = false;

  bool operator==(const FolderRow&) const = default;
};

// The folder row a list line (or an entry's path) stands for; nothing for a
// line naming a picture.
std::optional<FolderRow> FolderRowOf(std::string_view path);
// The line of a folder row; a folder without its '/' gets one.
std::string FolderRowPath(const FolderRow& row);
bool IsFolderRow(const WallpaperEntry& entry);
bool HasFolderRows(const EntryList& rows);

// Whether the picture at `path` is one the folder row stands for: directly
// in its folder, or anywhere below it with subfolders.
bool FolderHolds(const FolderRow& row, std::string_view path);

// How many entries of the rotation `row` stands for.
std::size_t RowSpan(const WallpaperEntry& row);
// Where in the rotation row `row` begins (the rotation's length for the
// row after the last).
std::size_t RotationStart(const EntryList& rows, std::size_t row);
// The row whose pictures include rotation entry `index`; -1 past the end.
int RowOfRotation(const EntryList& rows, std::size_t index);

// The rotation of `rows`: each folder row replaced by `picturesOf` its
// folder, whose count becomes the row's width.
EntryList ExpandRows(EntryList& rows, const std::function<EntryList(const FolderRow&)>& picturesOf);

// The rotation lost entries (pictures that went): the rows follow it.  A
// picture row missing from the rotation goes, and a folder row counts only
// the pictures of its own that are left.
void FollowDroppedEntries(EntryList& rows, const EntryList& rotation);

// Positions in the rotation (the current and the previous picture).
struct RotationPositions {
  std::int32_t current = 0;
  std::int32_t previous = 0;
};

// Gives folder row `row` the pictures `pictures` in the rotation.  Each
// position stays on its picture, found by path; a position on a picture that
// went stands just before the pictures that followed it, so the next change
// shows the first of those.
void ReplaceFolderPictures(EntryList& rows, EntryList& rotation, std::size_t row,
                           EntryList pictures, RotationPositions& positions);

}  // namespace vendaro
