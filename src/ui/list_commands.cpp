#include "ui/list_commands.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <utility>

#include "platform/session/path_text.h"
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

void SortEntries(EntryList& entries) {
  // Folded first: not every collation backend honours case-insensitivity.
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::vector<std::pair<QCollatorSortKey, std::size_t>> keys;
  keys.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // Entries compare as their text, the path first.
    keys.emplace_back(collator.sortKey(PathText(EntryText(entries[i])).toCaseFolded()), i);
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
  EntryList sorted;
  sorted.reserve(entries.size());
  for (const auto& key : keys) sorted.push_back(std::move(entries[key.second]));
  entries = std::move(sorted);
}

void ScanFolder(const std::string& folder, EntryList& list, const PictureProbe& probe) {
  for (const std::string& name : FolderEntryNames(folder)) {
    if (!IsFolder(folder + name)) AddPictureFile(list, folder + name, probe);
  }
}

void AddDroppedItem(const std::string& path, EntryList& list, const PictureProbe& probe) {
  if (IsFolder(path)) {
    ScanFolder(path.ends_with('/') ? path : path + '/', list, probe);
  } else {
    AddPictureFile(list, path, probe);
  }
}

std::string ListSaveFolder(const std::string& executablePath, const std::string& dataFolder) {
  // A bare name says nothing of where the program lies.
  if (executablePath.find('/') == std::string::npos) return dataFolder;
  const std::string folder = FolderOfPath(executablePath);
  return IsWritableFolder(folder) ? folder : dataFolder;
}

}  // namespace vendaro
