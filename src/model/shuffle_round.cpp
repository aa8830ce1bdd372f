#include "model/shuffle_round.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

namespace vendaro {
namespace {

std::size_t Pick(PlatformRandom& random, std::size_t range) {
  return static_cast<std::size_t>(random.Random(static_cast<std::int32_t>(range)));
}

std::unordered_map<std::string, std::size_t> Counts(const EntryList& list) {
  std::unordered_map<std::string, std::size_t> counts;
  for (const WallpaperEntry& entry : list) ++counts[entry.path];
  return counts;
}

// Fisher and Yates: every order equally likely.
void Shuffle(std::vector<std::string>& paths, PlatformRandom& random) {
  for (std::size_t i = paths.size(); i > 1; --i) std::swap(paths[i - 1], paths[Pick(random, i)]);
}

// Tells an edited list from the one the round followed last without a copy
// of its paths.
std::size_t Fingerprint(const EntryList& list) {
  std::size_t value = list.size();
  for (const WallpaperEntry& entry : list)
    value = (value * 1099511628211u) ^ std::hash<std::string>{}(entry.path);
  return value;
}

}  // namespace

std::optional<std::size_t> ShuffleRound::Next(const EntryList& list, PlatformRandom& random,
                                              const std::string& onScreen) {
  if (list.empty()) {
    waiting_.clear();
    dealt_.clear();
    return std::nullopt;
  }
  // The first round is dealt whole; later ones follow the list's edits.
  const std::size_t fingerprint = Fingerprint(list);
  if (!dealt_.empty() && fingerprint != fingerprint_) FollowList(list, random);
  fingerprint_ = fingerprint;
  for (;;) {
    if (waiting_.empty()) Deal(list, random, onScreen);
    const std::string path = std::move(waiting_.back());
    waiting_.pop_back();
    const auto found = std::find_if(
        list.begin(), list.end(), [&](const WallpaperEntry& entry) { return entry.path == path; });
    // Only an edit the fingerprint missed leaves a path the list lacks.
    if (found != list.end()) return static_cast<std::size_t>(found - list.begin());
  }
}

// The round against the list as it is now: what left the list leaves the
// round, and what came into it joins the pictures still to come (which are
// dealt again among themselves: their order was random anyway).
void ShuffleRound::FollowList(const EntryList& list, PlatformRandom& random) {
  const std::unordered_map<std::string, std::size_t> counts = Counts(list);
  // Paths the list now holds fewer times than were dealt: only they need
  // their copies still to come counted.
  std::unordered_map<std::string, std::size_t> fewer;
  for (auto item = dealt_.begin(); item != dealt_.end();) {
    const auto in = counts.find(item->first);
    const std::size_t now = in == counts.end() ? 0 : in->second;
    if (now < item->second && now > 0) fewer.emplace(item->first, now);
    item->second = std::min(item->second, now);
    item = item->second == 0 ? dealt_.erase(item) : std::next(item);
  }
  std::erase_if(waiting_, [&](const std::string& path) {
    if (!dealt_.contains(path)) return true;
    const auto capped = fewer.find(path);
    if (capped == fewer.end()) return false;
    if (capped->second == 0) return true;
    --capped->second;
    return false;
  });
  bool joined = false;
  for (const WallpaperEntry& entry : list) {
    std::size_t& already = dealt_[entry.path];
    if (already >= counts.at(entry.path)) continue;
    ++already;
    waiting_.push_back(entry.path);
    joined = true;
  }
  if (joined) Shuffle(waiting_, random);
}

void ShuffleRound::Deal(const EntryList& list, PlatformRandom& random,
                        const std::string& onScreen) {
  waiting_.clear();
  waiting_.reserve(list.size());
  for (const WallpaperEntry& entry : list) waiting_.push_back(entry.path);
  Shuffle(waiting_, random);
  NotFirst(onScreen);
  dealt_ = Counts(list);
  ++rounds_;
}

// The back comes first: it must not be the picture on screen.
void ShuffleRound::NotFirst(const std::string& onScreen) {
  if (waiting_.size() < 2 || waiting_.back() != onScreen) return;
  const auto other = std::find_if(waiting_.begin(), waiting_.end(),
                                  [&](const std::string& path) { return path != onScreen; });
  if (other != waiting_.end()) std::swap(*other, waiting_.back());
}

void ShuffleRound::Resume(const EntryList& list, PlatformRandom& random,
                          const std::vector<std::string>& shown, const std::string& onScreen) {
  std::unordered_map<std::string, std::size_t> left;
  for (const std::string& path : shown) ++left[path];
  waiting_.clear();
  for (const WallpaperEntry& entry : list) {
    const auto given = left.find(entry.path);
    if (given != left.end() && given->second > 0) {
      --given->second;
    } else {
      waiting_.push_back(entry.path);
    }
  }
  Shuffle(waiting_, random);
  NotFirst(onScreen);
  dealt_ = Counts(list);
  fingerprint_ = Fingerprint(list);
}

std::vector<std::string> ShuffleRound::Given() const {
  std::unordered_map<std::string, std::size_t> given = dealt_;
  for (const std::string& path : waiting_) {
    const auto found = given.find(path);
    if (found != given.end() && found->second > 0) --found->second;
  }
  std::vector<std::string> paths;
  for (const auto& [path, times] : given) paths.insert(paths.end(), times, path);
  return paths;
}

}  // namespace vendaro
