#include "model/entry_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>

#include "support/test_environment.h"

namespace vendaro {
namespace {

// A probe answering from a table and remembering what it was asked.
struct FakeProbe {
  std::map<std::string, PictureSize> sizes;
  std::vector<std::string> asked;

  PictureProbe Fn() {
    return [this](const std::string& path) {
      asked.push_back(path);
      const auto it = sizes.find(path);
      return it == sizes.end() ? Result<PictureSize>(Status::Error("no size")) : it->second;
    };
  }
};

TEST(AddPictureFile, AppendsOnlyExistingAcceptedProbedFiles) {
  const std::string dir = testing::MakeTempDir("add");
  for (const char* name : {"ok.JPG", "broken.png", "note.txt", "zero.gif"}) {
    testing::WriteFileBytes(dir + "/" + name, "x");
  }
  ASSERT_EQ(mkdir((dir + "/folder.jpg").c_str(), 0700), 0);
  FakeProbe probe;
  probe.sizes[dir + "/ok.JPG"] = {1024, 768};
  probe.sizes[dir + "/note.txt"] = {5, 5};
  probe.sizes[dir + "/zero.gif"] = {0, 0};
  probe.sizes[dir + "/folder.jpg"] = {1, 1};

  EntryList list;
  for (const char* name :
       {"ok.JPG", "broken.png", "note.txt", "missing.jpg", "folder.jpg", "zero.gif", "ok.JPG"}) {
    AddPictureFile(list, dir + "/" + name, probe.Fn());
  }
  // Duplicates are left to the end of the batch.
  EXPECT_EQ(list,
            (EntryList{MakeEntry(dir + "/ok.JPG", 1024, 768), MakeEntry(dir + "/zero.gif", 0, 0),
                       MakeEntry(dir + "/ok.JPG", 1024, 768)}));
  // No probe for files that are missing, folders, or of the wrong kind.
  EXPECT_EQ(probe.asked, (std::vector<std::string>{dir + "/ok.JPG", dir + "/broken.png",
                                                   dir + "/zero.gif", dir + "/ok.JPG"}));
}

EntryList EntriesOf(const std::vector<std::string>& paths, int width = 1) {
  EntryList list;
  for (const std::string& path : paths) list.push_back(MakeEntry(path, width, 1));
  return list;
}

TEST(RemoveDuplicateEntries, KeepsFirstOccurrencesInOrder) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{}, {}},
      {{"a"}, {"a"}},
      {{"a", "a", "a"}, {"a"}},
      {{"a", "b", "a", "c", "b"}, {"a", "b", "c"}},
      {{"C:\\a.jpg", "C:\\A.JPG"}, {"C:\\a.jpg", "C:\\A.JPG"}},  // case matters
      {{"b", "a", "b", "a"}, {"b", "a"}},
      {{"", "x", ""}, {"", "x"}},
  };
  for (const auto& [input, expected] : cases) {
    EntryList list = EntriesOf(input);
    RemoveDuplicateEntries(list);
    EXPECT_EQ(list, EntriesOf(expected));
  }
  // The same path recorded at two sizes is two entries.
  EntryList sized = EntriesOf({"a"}, 1);
  sized.push_back(MakeEntry("a", 2, 1));
  RemoveDuplicateEntries(sized);
  EXPECT_EQ(sized.size(), 2u);
}

// The pairwise rule exactly as written, to check the fast one against.
void RemoveDuplicatesPairwise(EntryList& list) {
  for (std::size_t i = 0; i + 1 < list.size(); ++i) {
    for (std::size_t j = i + 1; j < list.size();) {
      if (list[j] == list[i])
        list.erase(list.begin() + std::ptrdiff_t(j));
      else
        ++j;
    }
  }
}

TEST(RemoveDuplicateEntries, MatchesThePairwiseRuleOnALargeList) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> pick(0, 1500);
  EntryList list;
  for (int i = 0; i < 3000; ++i) {
    const int n = pick(gen);
    list.push_back(MakeEntry("/p/" + std::to_string(n) + ".jpg", n % 7, 3));
  }
  EntryList expected = list;
  RemoveDuplicatesPairwise(expected);
  RemoveDuplicateEntries(list);
  EXPECT_EQ(list, expected);
}

TEST(NewDistinctEntries, WhatTheJoinWithoutDuplicatesAdds) {
  struct Case {
    std::vector<std::string> list, added;
    std::optional<std::vector<std::string>> fresh;
  };
  const Case cases[] = {
      {{}, {}, std::vector<std::string>{}},
      {{"a", "b"}, {"c", "a", "d", "c"}, std::vector<std::string>{"c", "d"}},
      {{"a"}, {"a", "a"}, std::vector<std::string>{}},
      {{"a", "b", "a"}, {"c"}, std::nullopt},  // the old rows would change too
  };
  for (const Case& c : cases) {
    const std::optional<EntryList> fresh =
        NewDistinctEntries(EntriesOf(c.list), EntriesOf(c.added));
    ASSERT_EQ(fresh.has_value(), c.fresh.has_value());
    if (fresh) {
      EXPECT_EQ(*fresh, EntriesOf(*c.fresh));
      EntryList joined = EntriesOf(c.list);
      for (const std::string& path : c.added) joined.push_back(MakeEntry(path, 1, 1));
      RemoveDuplicateEntries(joined);
      EntryList appended = EntriesOf(c.list);
      appended.insert(appended.end(), fresh->begin(), fresh->end());
      EXPECT_EQ(appended, joined);
    }
  }
  // The same path at another size is another entry.
  EXPECT_EQ(NewDistinctEntries(EntriesOf({"a"}, 1), EntriesOf({"a"}, 2))->size(), 1u);
}

TEST(DropMissingEntries, KeepsThePresentInOrderAskingOncePerEntry) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{}, {}},
      {{"gone", "gone"}, {}},
      {{"a", "gone", "b"}, {"a", "b"}},
      {{"gone", "gone", "a", "gone", "b", "c", "gone"}, {"a", "b", "c"}},
      {{"a", "b"}, {"a", "b"}},
  };
  for (const auto& [input, expected] : cases) {
    EntryList list = EntriesOf(input);
    std::vector<std::string> asked;
    const std::size_t dropped = DropMissingEntries(list, [&asked](const std::string& path) {
      asked.push_back(path);
      return path != "gone";
    });
    EXPECT_EQ(list, EntriesOf(expected));
    EXPECT_EQ(asked, input);
    EXPECT_EQ(dropped, input.size() - expected.size());
  }
}

// On one thread or two, the same entries stay, each is asked about once, and
// whoever shares the list is told once, before it changes, and only then.
TEST(DropMissingEntries, OnTwoThreadsKeepsWhatOneThreadKeepsAndTellsOnce) {
  const struct {
    const char* name;
    int every;  // every n-th entry is gone; 0: none
  } cases[] = {{"none gone", 0}, {"all gone", 1}, {"scattered", 7}, {"one at the end", 20000}};
  for (const auto& c : cases) {
    const auto gone = [&c](const std::string& path) {
      const int i = std::stoi(path.substr(3));
      return c.every > 0 && (i + 1) % c.every == 0;
    };
    EntryList original;
    for (int i = 0; i < 20000; ++i) original.push_back(MakeEntry("/m/" + std::to_string(i), i, 1));
    EntryList kept = original;
    std::erase_if(kept, [&](const WallpaperEntry& e) { return gone(e.path); });
    for (const bool parallel : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (parallel ? ", two threads" : ", one thread"));
      EntryList list = original;
      std::atomic<int> asked{0};
      int told = 0;
      const std::size_t dropped = DropMissingEntries(
          list,
          [&](const std::string& p) {
            ++asked;
            return !gone(p);
          },
          [&] {
            ++told;
            EXPECT_TRUE(list == original) << "told before anything changed";
          },
          parallel);
      EXPECT_EQ(list, kept);
      EXPECT_EQ(asked, 20000);
      EXPECT_EQ(dropped, 20000 - kept.size());
      EXPECT_EQ(told, dropped > 0 ? 1 : 0);
    }
  }
}

TEST(DropMissingEntries, ALargeListWhoseDriveWentAway) {
  // Every entry gone, and every other one: one question per entry, and no
  // entry erased while the pass runs (each erase would move all after it).
  for (const int step : {1, 2}) {
    EntryList list;
    for (int i = 0; i < 200000; ++i) list.push_back(MakeEntry("/m/" + std::to_string(i), i, 1));
    std::size_t asked = 0;
    std::size_t shortest = list.size();
    DropMissingEntries(list, [&](const std::string&) {
      shortest = std::min(shortest, list.size());
      return ++asked % 2 == 0 && step == 2;
    });
    EXPECT_EQ(asked, 200000u);
    EXPECT_EQ(shortest, 200000u);
    ASSERT_EQ(list.size(), step == 1 ? 0u : 100000u);
    if (step == 2) {
      EXPECT_EQ(list[10].path, "/m/21");
    }
  }
}

TEST(RemoveEntriesAt, TakesOutExactlyTheRowsNamed) {
  const std::pair<std::vector<int>, std::vector<std::string>> cases[] = {
      {{}, {"a", "b", "c", "d", "e"}}, {{0}, {"b", "c", "d", "e"}}, {{1, 3}, {"a", "c", "e"}},
      {{0, 1, 4}, {"c", "d"}},         {{0, 1, 2, 3, 4}, {}},
  };
  for (const auto& [rows, expected] : cases) {
    EntryList list = EntriesOf({"a", "b", "c", "d", "e"});
    RemoveEntriesAt(list, rows);
    EXPECT_EQ(list, EntriesOf(expected));
  }
}

TEST(EntriesFromPaths, KeepsWhatProbesWithoutExtensionRule) {
  FakeProbe probe;
  probe.sizes["/a.jpg"] = {10, 20};
  probe.sizes["/A.JPG"] = {10, 20};
  probe.sizes["/pic.webp"] = {30, 40};
  probe.sizes["/noquery.png"] = {0, 0};
  probe.sizes["/x</n>y.png"] = {1, 1};
  EntryList list{MakeEntry("/old.png", 1, 1)};
  EntriesFromPaths(
      {"/a.jpg", "/gone.jpg", "", "/A.JPG", "/pic.webp", "/a.jpg", "/noquery.png", "/x</n>y.png"},
      list, probe.Fn());
  EXPECT_EQ(list, (EntryList{MakeEntry("/old.png", 1, 1), MakeEntry("/a.jpg", 10, 20),
                             MakeEntry("/A.JPG", 10, 20), MakeEntry("/pic.webp", 30, 40),
                             MakeEntry("/noquery.png", 0, 0)}));
}

TEST(EntriesFromPaths, ProbingOnSeveralThreadsGivesTheSameList) {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "/p/" + std::to_string(i % 3000) + (i % 5 ? ".jpg\n" : "\n");
  text += "/x</n>y.png\n";
  const ListLines lines(text);
  // Sizes from the name alone, so the probe is safe on any thread; every
  // seventh picture does not load.
  const PictureProbe probe = [](const std::string& path) -> Result<PictureSize> {
    const std::size_t n = std::hash<std::string>()(path);
    if (n % 7 == 0) return Status::Error("no picture");
    return PictureSize{static_cast<int>(n % 3), 1};
  };
  EntryList alone{MakeEntry("/p/1.jpg", 1, 1)};
  EntryList shared = alone;
  EntriesFromPaths(lines, alone, probe);
  EntriesFromPaths(lines, shared, probe, 4);
  EXPECT_GT(alone.size(), 2000u);
  EXPECT_EQ(shared, alone);
}

TEST(AddListedPictures, ProbesEachDistinctLineOnceInOrder) {
  const std::string dir = testing::MakeTempDir("listed");
  for (const char* name : {"a.jpg", "b.png"}) testing::WriteFileBytes(dir + "/" + name, "x");
  FakeProbe probe;
  probe.sizes[dir + "/a.jpg"] = {1, 2};
  probe.sizes[dir + "/b.png"] = {3, 4};
  const std::string a = dir + "/a.jpg", b = dir + "/b.png";
  EntryList list;
  AddListedPictures(list, ListLines(b + "\r\n\r\n" + a + "\r" + b + "\n" + a + "\n\n"), probe.Fn());
  EXPECT_EQ(list, (EntryList{MakeEntry(b, 3, 4), MakeEntry(a, 1, 2)}));
  EXPECT_EQ(probe.asked, (std::vector<std::string>{b, a}));
}

}  // namespace
}  // namespace vendaro
