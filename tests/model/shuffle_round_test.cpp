#include "model/shuffle_round.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vendaro {
namespace {

EntryList ListOf(int count, const std::string& prefix = "/p") {
  EntryList list;
  for (int i = 0; i < count; ++i) list.push_back(MakeEntry(prefix + std::to_string(i), 1, 1));
  return list;
}

// Takes `count` pictures, each the next one's "on screen".
std::vector<std::string> Take(ShuffleRound& round, const EntryList& list, PlatformRandom& random,
                              std::size_t count, std::string onScreen = "") {
  std::vector<std::string> shown;
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<std::size_t> at = round.Next(list, random, onScreen);
    if (!at) break;
    onScreen = list.at(*at).path;
    shown.push_back(onScreen);
  }
  return shown;
}

// With the program's own generator, over many rounds and seeds, the first
// picture on screen before the first round: each round shows every picture
// once, and no change shows the picture already up.
TEST(ShuffleRound, EveryPictureOnceARoundAndNoRepeatAcrossRounds) {
  for (const int size : {1, 2, 3, 7, 1000}) {
    for (const std::uint32_t seed : {0u, 1u, 2u, 3u, 4u, 0xDEADBEEFu}) {
      SCOPED_TRACE(::testing::Message() << size << " pictures, seed " << seed);
      const EntryList list = ListOf(size);
      PlatformRandom random(seed);
      ShuffleRound round;
      const auto rounds = static_cast<std::size_t>(size == 1000 ? 3 : 20);
      const std::vector<std::string> shown =
          Take(round, list, random, rounds * static_cast<std::size_t>(size), "/p0");
      ASSERT_EQ(shown.size(), rounds * static_cast<std::size_t>(size));
      for (std::size_t r = 0; r < rounds; ++r) {
        const auto from = shown.begin() + static_cast<std::ptrdiff_t>(r) * size;
        EXPECT_EQ(std::set<std::string>(from, from + size).size(), static_cast<std::size_t>(size));
      }
      if (size > 1) {
        for (std::size_t i = 0; i < shown.size(); ++i) {
          EXPECT_NE(shown[i], i > 0 ? shown[i - 1] : "/p0") << i;
        }
      }
    }
  }
}

TEST(ShuffleRound, ListEditsKeepTheRestOfTheRound) {
  // Pictures taken off the front of the list mid-round, new ones added.
  const std::pair<int, int> edits[] = {{3, 0}, {0, 4}, {2, 5}};
  for (const auto& [removeFirst, add] : edits) {
    SCOPED_TRACE(::testing::Message() << removeFirst << " off, " << add << " added");
    EntryList list = ListOf(10);
    PlatformRandom random(7);
    ShuffleRound round;
    const std::vector<std::string> before = Take(round, list, random, 4);
    list.erase(list.begin(), list.begin() + removeFirst);
    for (const WallpaperEntry& entry : ListOf(add, "/new")) list.push_back(entry);
    std::set<std::string> rest;
    for (const WallpaperEntry& entry : list) rest.insert(entry.path);
    for (const std::string& path : before) rest.erase(path);
    // The round ends with exactly the pictures of the list not shown yet.
    const std::vector<std::string> after = Take(round, list, random, rest.size());
    EXPECT_EQ(std::set<std::string>(after.begin(), after.end()), rest);
    EXPECT_EQ(after.size(), rest.size());
  }
}

TEST(ShuffleRound, EmptyListGivesNothingAndAListTwiceHeldComesTwice) {
  PlatformRandom random(3);
  ShuffleRound round;
  EXPECT_FALSE(round.Next({}, random, ""));
  EntryList list = ListOf(2);
  list.push_back(list[0]);
  std::map<std::string, int> times;
  for (const std::string& path : Take(round, list, random, 3)) ++times[path];
  EXPECT_EQ(times, (std::map<std::string, int>{{"/p0", 2}, {"/p1", 1}}));
}

}  // namespace
}  // namespace vendaro
