#include "ui/list_commands.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/folder_pictures.h"
#include "model/folder_rows.h"
#include "model/polish_plural.h"
#include "system/files.h"

namespace vendaro {
namespace {

bool AnySelected(const ListSelection& selection) {
  return std::find(selection.selected.begin(), selection.selected.end(), true) !=
         selection.selected.end();
}

// Exchanging two rows clears both marks; the current row follows its entry.
void Exchange(EntryList& entries, ListSelection& selection, int a, int b) {
  std::swap(entries[a], entries[b]);
  selection.selected[a] = false;
  selection.selected[b] = false;
  if (selection.current == a) {
    selection.current = b;
  } else if (selection.current == b) {
    selection.current = a;
  }
}

}  // namespace

bool MoveSelectedUp(EntryList& entries, ListSelection& selection) {
  const int count = static_cast<int>(entries.size());
  selection.selected.resize(entries.size(), false);
  if (!AnySelected(selection) || count < 2 || selection.selected[0]) return false;
  for (int i = 1; i < count; ++i) {
    if (!selection.selected[i]) continue;
    Exchange(entries, selection, i, i - 1);
    selection.selected[i - 1] = true;
  }
  return true;
}

bool MoveSelectedDown(EntryList& entries, ListSelection& selection) {
  const int count = static_cast<int>(entries.size());
  selection.selected.resize(entries.size(), false);
  if (!AnySelected(selection) || count < 2 || selection.selected[count - 1]) return false;
  for (int i = count - 2; i >= 0; --i) {
    if (!selection.selected[i]) continue;
    Exchange(entries, selection, i, i + 1);
    selection.selected[i + 1] = true;
  }
  return true;
}

int CurrentAfterRemoval(std::vector<int> rows, int current, int count) {
  std::erase_if(rows, [count](int row) { return row < 0 || row >= count; });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (current < 0 || current >= count || static_cast<int>(rows.size()) == count) return -1;
  auto at = std::lower_bound(rows.begin(), rows.end(), current);
  if (at == rows.end() || *at != current) return current - static_cast<int>(at - rows.begin());
  // The removed block that holds the current row.
  while (at != rows.begin() && *(at - 1) == *at - 1) --at;
  if (*at == 0) return 0;
  return *at - 1 - static_cast<int>(at - rows.begin());
}

FolderScan ScanFolder(const std::string& folder, EntryList& list, const PictureProbe& probe) {
  FolderScan left;
  EntryList found;
  for (const std::string& name : FolderEntryNames(folder)) {
    const std::string path = folder + name;
    if (IsFolder(path)) continue;
    if (!IsAcceptedPictureName(path)) {
      ++left.unsupported;
      continue;
    }
    const std::size_t before = found.size();
    AddPictureFile(found, path, probe);
    if (found.size() == before) ++left.unreadable;
  }
  // The file system lists a folder in no useful order; a person expects
  // the names as the list's own sort puts them.
  SortEntries(found);
  list.insert(list.end(), std::make_move_iterator(found.begin()),
              std::make_move_iterator(found.end()));
  return left;
}

void AddDroppedItem(const std::string& path, EntryList& list, const PictureProbe& probe,
                    FolderScan& left) {
  if (IsFolder(path)) {
    const FolderScan scanned = ScanFolder(path.ends_with('/') ? path : path + '/', list, probe);
    left.unsupported += scanned.unsupported;
    left.unreadable += scanned.unreadable;
  } else {
    AddPictureFile(list, path, probe);
  }
}

WallpaperEntry FollowedFolderRow(const std::string& folder, bool subfolders) {
  const FolderRow row{folder, subfolders};
  return MakeEntry(FolderRowPath(row), static_cast<int>(PicturePathsOfRow(row).size()), 0);
}

std::string LeftOutMessage(const FolderScan& left) {
  std::string text;
  const auto add = [&text](std::size_t count, const char* why) {
    if (count == 0) return;
    const long n = static_cast<long>(count);
    if (!text.empty()) text += '\n';
    text += "Pominięto " + std::to_string(n) + " " + PolishPlural(n, "plik", "pliki", "plików") +
            ": " + why;
  };
  add(left.unsupported, "nieobsługiwany format");
  add(left.unreadable, "nie udało się odczytać obrazu");
  return text;
}

}  // namespace vendaro
