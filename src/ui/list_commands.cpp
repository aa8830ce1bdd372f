#include "ui/list_commands.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>
#include <utility>

#include "model/polish_plural.h"
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

using SortKeys = std::vector<std::pair<QCollatorSortKey, std::size_t>>;

bool KeyLess(const SortKeys::value_type& a, const SortKeys::value_type& b) {
  return a.first.compare(b.first) < 0;
}

// The keys of entries [from, to), sorted.  Each call has a collator of its
// own, so that calls can run on several threads at once.
SortKeys SortedKeys(const EntryList& entries, std::size_t from, std::size_t to) {
  // Folded first: not every collation backend honours case-insensitivity.
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  SortKeys keys;
  keys.reserve(to - from);
  for (std::size_t i = from; i < to; ++i) {
    // Entries compare as their text, the path first.
    keys.emplace_back(collator.sortKey(PathText(EntryText(entries[i])).toCaseFolded()), i);
  }
  std::stable_sort(keys.begin(), keys.end(), KeyLess);
  return keys;
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
  // Making the keys is most of the work: a large list is cut into parts,
  // each sorted on a thread of its own, and the parts are merged in order,
  // which keeps equal entries in their order as one stable sort would.
  constexpr std::size_t kLeastPart = 20000;
  const std::size_t parts = std::clamp<std::size_t>(
      entries.size() / kLeastPart, 1, std::max(1u, std::thread::hardware_concurrency()));
  const auto bound = [&](std::size_t part) { return entries.size() * part / parts; };
  std::vector<SortKeys> sorted(parts);
  std::vector<std::thread> helpers;
  std::vector<std::exception_ptr> failures(parts);
  std::size_t started = 1;
  for (; started < parts; ++started) {
    try {
      helpers.emplace_back([&, started] {
        try {
          sorted[started] = SortedKeys(entries, bound(started), bound(started + 1));
        } catch (...) {
          failures[started] = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      break;  // no thread to be had: the rest is sorted here
    }
  }
  sorted[0] = SortedKeys(entries, 0, bound(1));
  for (std::size_t part = started; part < parts; ++part)
    sorted[part] = SortedKeys(entries, bound(part), bound(part + 1));
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  SortKeys keys = std::move(sorted[0]);
  for (std::size_t part = 1; part < parts; ++part) {
    SortKeys merged;
    merged.reserve(keys.size() + sorted[part].size());
    std::merge(std::make_move_iterator(keys.begin()), std::make_move_iterator(keys.end()),
               std::make_move_iterator(sorted[part].begin()),
               std::make_move_iterator(sorted[part].end()), std::back_inserter(merged), KeyLess);
    keys = std::move(merged);
  }
  EntryList ordered;
  ordered.reserve(entries.size());
  for (const auto& key : keys) ordered.push_back(std::move(entries[key.second]));
  entries = std::move(ordered);
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
