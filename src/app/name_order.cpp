#include "app/name_order.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/session/path_text.h"

namespace vendaro {
namespace {

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

void SortByName(EntryList& entries) {
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

}  // namespace vendaro
