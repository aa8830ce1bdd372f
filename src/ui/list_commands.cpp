#include "ui/list_commands.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "platform/path_text.h"
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
  namespace fs = std::filesystem;
  std::error_code error;
  for (fs::directory_iterator it(fs::path(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    AddPictureFile(list, folder + it->path().filename().string(), probe);
  }
}

void AddDroppedItem(const std::string& path, EntryList& list, const PictureProbe& probe) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    ScanFolder(path.ends_with('/') ? path : path + '/', list, probe);
  } else {
    AddPictureFile(list, path, probe);
  }
}

std::string ListSaveFolder(const std::string& executablePath, const std::string& dataFolder) {
  const std::string folder = executablePath.substr(0, executablePath.rfind('/') + 1);
  return IsWritableFolder(folder) ? folder : dataFolder;
}

}  // namespace vendaro
