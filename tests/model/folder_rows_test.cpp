#include "model/folder_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <tuple>

namespace vendaro {
namespace {

using Names = std::vector<std::string>;

TEST(FolderRowOf, TellsFolderLinesFromPictures) {
  const std::pair<std::string, std::optional<FolderRow>> cases[] = {
      {"/home/ola/Tapety/", FolderRow{"/home/ola/Tapety/", false}},
      {"/home/ola/Tapety/**", FolderRow{"/home/ola/Tapety/", true}},
      {"/**", FolderRow{"/", true}},
      {"/home/ola/Tapety", std::nullopt},     // a file without an extension
      {"/home/ola/gwiazdy**", std::nullopt},  // a name ending in stars
      {"/home/ola/*", std::nullopt},
      {"/home/<n>/", std::nullopt},  // not storable
      {"**", std::nullopt},
  };
  for (const auto& [line, row] : cases) {
    EXPECT_EQ(FolderRowOf(line), row) << line;
    // What is read is written back the same.
    if (row) {
      EXPECT_EQ(FolderRowPath(*row), line) << line;
    }
  }
}

TEST(FolderHolds, DirectlyOrBelowWithSubfolders) {
  const std::tuple<std::string, bool, bool> cases[] = {
      // path, held by /t/, held by /t/**
      {"/t/a.jpg", true, true},         {"/t/sub/deeper/a.jpg", false, true},
      {"/tapety/a.jpg", false, false},  {"/t/", false, false},
      {"/other/t/a.jpg", false, false},
  };
  for (const auto& [path, direct, tree] : cases) {
    EXPECT_EQ(FolderHolds({"/t/", false}, path), direct) << path;
    EXPECT_EQ(FolderHolds({"/t/", true}, path), tree) << path;
  }
}

// Rows "a.jpg", folder /f/ and "z.jpg"; the folder's pictures by name.
struct Rotation {
  EntryList rows = {MakeEntry("/a.jpg", 1, 1), MakeEntry("/f/", 0, 0), MakeEntry("/z.jpg", 1, 1)};
  EntryList list;

  explicit Rotation(const Names& names = {"b.jpg", "c.jpg", "d.jpg"}) {
    list = ExpandRows(rows, [&](const FolderRow& row) { return Pictures(row.folder, names); });
  }
  static EntryList Pictures(const std::string& folder, const Names& names) {
    EntryList pictures;
    for (const std::string& name : names) pictures.push_back(MakeEntry(folder + name, 2, 2));
    return pictures;
  }
};

Names Paths(const EntryList& list) {
  Names paths;
  for (const WallpaperEntry& entry : list) paths.push_back(entry.path);
  return paths;
}

TEST(ExpandRows, FolderRowsGiveWayToTheirPicturesAndCountThem) {
  const Rotation r({"b.jpg", "c.jpg"});
  EXPECT_EQ(Paths(r.list), (Names{"/a.jpg", "/f/b.jpg", "/f/c.jpg", "/z.jpg"}));
  EXPECT_EQ(r.rows[1].width, 2);
  const int rowOf[] = {0, 1, 1, 2, -1};  // of each rotation index
  for (std::size_t i = 0; i < std::size(rowOf); ++i) EXPECT_EQ(RowOfRotation(r.rows, i), rowOf[i]);
  EXPECT_EQ(RotationStart(r.rows, 2), 3u);
  // An empty folder stands for nothing, and the rows around it stay.
  const Rotation empty(Names{});
  EXPECT_EQ(Paths(empty.list), (Names{"/a.jpg", "/z.jpg"}));
  EXPECT_EQ(RowOfRotation(empty.rows, 1), 2);
}

TEST(FollowDroppedEntries, RowsLoseWhatTheRotationLost) {
  struct Case {
    Names gone;
    Names rows;
    int folderCount;
  };
  const Case cases[] = {
      {{"/a.jpg"}, {"/f/", "/z.jpg"}, 3},
      {{"/z.jpg"}, {"/a.jpg", "/f/"}, 3},
      {{"/f/b.jpg", "/f/d.jpg"}, {"/a.jpg", "/f/", "/z.jpg"}, 1},
      // The whole folder gone: its row stays.
      {{"/a.jpg", "/f/b.jpg", "/f/c.jpg", "/f/d.jpg", "/z.jpg"}, {"/f/"}, 0},
  };
  for (const Case& c : cases) {
    Rotation r;
    std::erase_if(r.list,
                  [&](const WallpaperEntry& e) { return std::ranges::count(c.gone, e.path); });
    FollowDroppedEntries(r.rows, r.list);
    EXPECT_EQ(Paths(r.rows), c.rows) << c.gone[0];
    for (const WallpaperEntry& row : r.rows) {
      if (IsFolderRow(row)) {
        EXPECT_EQ(row.width, c.folderCount) << c.gone[0];
      }
    }
  }
}

TEST(ReplaceFolderPictures, PositionsStayOnTheirPictures) {
  // Rotation before: /a.jpg, /f/b.jpg, /f/c.jpg, /f/d.jpg, /z.jpg (0..4).
  struct Case {
    const char* name;
    Names now;  // the folder's pictures after the change
    std::int32_t current;
    std::int32_t expected;  // where the position stands after
  };
  const Case cases[] = {
      {"before the folder", {"b.jpg"}, 0, 0},
      {"after the folder, one gone", {"b.jpg", "d.jpg"}, 4, 3},
      {"after the folder, two new", {"a1.jpg", "b.jpg", "c.jpg", "c1.jpg", "d.jpg"}, 4, 6},
      {"on a kept picture, one new before it", {"a1.jpg", "b.jpg", "c.jpg", "d.jpg"}, 2, 3},
      {"on a picture that went", {"b.jpg", "d.jpg"}, 2, 1},            // next shows d.jpg
      {"on the first picture, which went", {"c.jpg", "d.jpg"}, 1, 0},  // next shows c.jpg
      {"the folder emptied", {}, 2, 0},                                // next shows z.jpg
      {"no position", {"b.jpg"}, -1, -1},
  };
  for (const Case& c : cases) {
    Rotation r;
    RotationPositions positions{c.current, c.current};
    ReplaceFolderPictures(r.rows, r.list, 1, Rotation::Pictures("/f/", c.now), positions);
    EXPECT_EQ(positions.current, c.expected) << c.name;
    EXPECT_EQ(positions.previous, c.expected) << c.name;
    EXPECT_EQ(r.rows[1].width, static_cast<int>(c.now.size())) << c.name;
    EXPECT_EQ(r.list.size(), c.now.size() + 2) << c.name;
  }
}

TEST(EntriesFromPaths, KeepsFolderRowsInPlaceWithoutMeasuringThem) {
  const ListLines lines("/a.jpg\r\n/f/\r\n/g/**\r\n/f/\r\n/gone.jpg\r\n/z.jpg\r\n");
  for (const unsigned threads : {1u, 4u}) {
    std::set<std::string> probed;
    std::mutex guard;
    const PictureProbe probe = [&](const std::string& path) -> Result<PictureSize> {
      const std::lock_guard lock(guard);
      probed.insert(path);
      if (path == "/gone.jpg") return Status::Error("gone");
      return PictureSize{3, 4};
    };
    EntryList list;
    EntriesFromPaths(lines, list, probe, threads);
    EXPECT_EQ(Paths(list), (Names{"/a.jpg", "/f/", "/g/**", "/z.jpg"})) << threads;
    EXPECT_EQ(probed, (std::set<std::string>{"/a.jpg", "/gone.jpg", "/z.jpg"})) << threads;
  }
}

}  // namespace
}  // namespace vendaro
