#include "model/shuffle_round.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "model/kept_round.h"
#include "model/path_lines.h"
#include "support/test_environment.h"
#include "system/files.h"

namespace vendaro {
namespace {

EntryList ListOf(int count, const std::string& prefix = "/p") {
  EntryList list;
  for (int i = 0; i < count; ++i) list.push_back(MakeEntry(prefix + std::to_string(i), 1, 1));
  return list;
}

// Takes `count` pictures, each the next one's "on screen"; a round kept in
// a folder is given it before the rest.
template <typename Round, typename... Folder>
std::vector<std::string> Take(Round& round, const EntryList& list, PlatformRandom& random,
                              std::size_t count, std::string onScreen = "",
                              const Folder&... folder) {
  std::vector<std::string> shown;
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<std::size_t> at = round.Next(folder..., list, random, onScreen);
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

std::set<std::string> PathsOf(const EntryList& list) {
  std::set<std::string> paths;
  for (const WallpaperEntry& entry : list) paths.insert(entry.path);
  return paths;
}

// What a start finds in the round file after four pictures of ten: the rest
// of the round is the list minus the pictures the file says were given, each
// once, whatever state the file is in; by the round's end the file names
// every picture of the list once.
TEST(KeptRound, GoesOnWithTheRoundTheFileHolds) {
  using Damage = void (*)(const std::string& file);
  const struct {
    const char* name;
    Damage damage;
    std::size_t givenKept;  // of the four given before; 0 also for a fresh round
    bool restart = true;
    bool editList = false;
    bool emptyFirst = false;  // the list empty at the restart's first change
  } rows[] = {
      {"as written", [](const std::string&) {}, 4},
      {"list edited while away", [](const std::string&) {}, 4, true, true},
      {"list empty at first", [](const std::string&) {}, 4, true, false, true},
      {"last line cut short",
       [](const std::string& file) {
         const std::string text = testing::ReadFileBytes(file);
         testing::WriteFileBytes(file, text.substr(0, text.size() - 3));
       },
       3},
      {"a line damaged",
       [](const std::string& file) {
         testing::WriteFileBytes(file, testing::ReadFileBytes(file) + "/a\\q\n");
       },
       0},
      {"another program's file",
       [](const std::string& file) {
         testing::WriteFileBytes(file, "vendaro-history 1\n0\n/p1\n");
       },
       0},
      {"missing", [](const std::string& file) { RemoveFile(file); }, 0},
      {"removed while the program runs", [](const std::string& file) { RemoveFile(file); }, 4,
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string folder = testing::MakeTempDir("round") + "/";
    const std::string file = folder + kRoundFileName;
    EntryList list = ListOf(10);
    PlatformRandom random(11);
    KeptRound first;
    const std::vector<std::string> before = Take(first, list, random, 4, "", folder);
    row.damage(file);
    if (row.editList) {
      list.erase(list.begin(), list.begin() + 3);
      for (const WallpaperEntry& entry : ListOf(2, "/new")) list.push_back(entry);
    }
    std::set<std::string> rest = PathsOf(list);
    for (std::size_t i = 0; i < row.givenKept; ++i) rest.erase(before[i]);

    KeptRound restarted;
    PlatformRandom again(29);
    KeptRound& round = row.restart ? restarted : first;
    if (row.emptyFirst) {
      EXPECT_FALSE(round.Next(folder, {}, again, before.back()));
    }
    const std::vector<std::string> after =
        Take(round, list, row.restart ? again : random, rest.size(), before.back(), folder);
    EXPECT_EQ(std::set<std::string>(after.begin(), after.end()), rest);
    EXPECT_EQ(after.size(), rest.size());
    EXPECT_NE(after.front(), before.back());

    const std::optional<GivenInRound> written = GivenFromRoundText(testing::ReadFileBytes(file));
    ASSERT_TRUE(written);
    EXPECT_FALSE(written->cutShort);
    std::map<std::string, int> times;
    for (const std::string& path : written->paths) {
      if (PathsOf(list).contains(path)) ++times[path];
    }
    EXPECT_EQ(times.size(), list.size());
    for (const auto& [path, count] : times) EXPECT_EQ(count, 1) << path;
  }
}

TEST(KeptRound, FileTextReadsBackAnyPathAndRefusesAnythingElse) {
  // The longest path a line holds, escapes and all.
  const std::string longest = "/" + std::string(kMaxPathBytes - 2, 'a') + "\\";
  const std::vector<std::string> paths = {"/a b/zdjęcie.jpg", "/x\\y/line\nbreak.png", longest};
  const std::string text = RoundText(paths);
  const std::optional<GivenInRound> back = GivenFromRoundText(text + "/d.p");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->paths, paths) << "the last line, cut short, left out";
  EXPECT_TRUE(back->cutShort);
  const std::string bad[] = {
      "",
      text.substr(0, 8),  // cut inside the header
      "vendaro-round 2\n/a\n",
      text + "\n",  // an empty path
      text + "/d\r\n",
      text + "/d\\q\n",
      text + longest + "b\n",  // a path too long
  };
  for (const std::string& damaged : bad) {
    SCOPED_TRACE(damaged);
    EXPECT_FALSE(GivenFromRoundText(damaged));
  }
}

}  // namespace
}  // namespace vendaro
