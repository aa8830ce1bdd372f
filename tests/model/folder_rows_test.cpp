#include "model/folder_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>

namespace vendaro {
namespace {

TEST(FolderRowOf, TellsFolderLinesFromPictures) {
  struct Case {
    std::string line;
    std::optional<FolderRow> row;
  };
  const Case cases[] = {
      {"/home/ola/Tapety/", FolderRow{"/home/ola/Tapety/", false}},
      {"/home/ola/Tapety/**", FolderRow{"/home/ola/Tapety/", true}},
      {"/", FolderRow{"/", false}},
      {"/**", FolderRow{"/", true}},
      {"/home/ola/Tapety", std::nullopt},  // a file without an extension
      {"/home/ola/las.jpg", std::nullopt},
      {"/home/ola/gwiazdy**", std::nullopt},  // a name ending in stars
      {"/home/ola/*", std::nullopt},
      {"/home/<n>/", std::nullopt},  // not storable
      {"**", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderRowOf(c.line), c.row) << c.line;
    if (!c.row) {
      continue;
    }
    // What is read is written back the same.
    EXPECT_EQ(FolderRowPath(*c.row), c.line) << c.line;
    EXPECT_TRUE(IsFolderRow(MakeEntry(c.line, 0, 0))) << c.line;
  }
}

TEST(FolderHolds, DirectlyOrBelowWithSubfolders) {
  struct Case {
    std::string path;
    bool direct;
    bool tree;
  };
  const FolderRow direct{"/t/", false};
  const FolderRow tree{"/t/", true};
  const Case cases[] = {
      {"/t/a.jpg", true, true},
      {"/t/sub/a.jpg", false, true},
      {"/t/sub/deeper/a.jpg", false, true},
      {"/tapety/a.jpg", false, false},
      {"/t/", false, false},
      {"/other/t/a.jpg", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderHolds(direct, c.path), c.direct) << c.path;
    EXPECT_EQ(FolderHolds(tree, c.path), c.tree) << c.path;
  }
}

// Rows "a.jpg", folder /f/ and "z.jpg"; the folder's pictures by name.
struct Rotation {
  EntryList rows = {MakeEntry("/a.jpg", 1, 1), MakeEntry("/f/", 0, 0), MakeEntry("/z.jpg", 1, 1)};
  EntryList list;

  explicit Rotation(std::vector<std::string> names) {
    list = ExpandRows(rows, [&](const FolderRow& row) {
      EntryList pictures;
      for (const std::string& name : names) pictures.push_back(MakeEntry(row.folder + name, 2, 2));
      return pictures;
    });
  }
};

std::vector<std::string> Paths(const EntryList& list) {
  std::vector<std::string> paths;
  for (const WallpaperEntry& entry : list) paths.push_back(entry.path);
  return paths;
}

TEST(ExpandRows, FolderRowsGiveWayToTheirPicturesAndCountThem) {
  const Rotation r({"b.jpg", "c.jpg"});
  EXPECT_EQ(Paths(r.list), (std::vector<std::string>{"/a.jpg", "/f/b.jpg", "/f/c.jpg", "/z.jpg"}));
  EXPECT_EQ(r.rows[1].width, 2);
  struct Case {
    std::size_t index;
    int row;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 1}, Case{3, 2}, Case{4, -1}}) {
    EXPECT_EQ(RowOfRotation(r.rows, c.index), c.row) << c.index;
  }
  EXPECT_EQ(RotationStart(r.rows, 2), 3u);
  // An empty folder stands for nothing, and the rows around it stay.
  const Rotation empty({});
  EXPECT_EQ(Paths(empty.list), (std::vector<std::string>{"/a.jpg", "/z.jpg"}));
  EXPECT_EQ(RowOfRotation(empty.rows, 1), 2);
}

TEST(FollowDroppedEntries, RowsLoseWhatTheRotationLost) {
  struct Case {
    const char* name;
    std::vector<std::string> gone;
    std::vector<std::string> rows;
    int folderCount;
  };
  const Case cases[] = {
      {"nothing", {}, {"/a.jpg", "/f/", "/z.jpg"}, 3},
      {"a picture row", {"/a.jpg"}, {"/f/", "/z.jpg"}, 3},
      {"the last row", {"/z.jpg"}, {"/a.jpg", "/f/"}, 3},
      {"pictures of the folder", {"/f/b.jpg", "/f/d.jpg"}, {"/a.jpg", "/f/", "/z.jpg"}, 1},
      {"the whole folder, which stays",
       {"/f/b.jpg", "/f/c.jpg", "/f/d.jpg"},
       {"/a.jpg", "/f/", "/z.jpg"},
       0},
      {"everything", {"/a.jpg", "/f/b.jpg", "/f/c.jpg", "/f/d.jpg", "/z.jpg"}, {"/f/"}, 0},
  };
  for (const Case& c : cases) {
    Rotation r({"b.jpg", "c.jpg", "d.jpg"});
    std::erase_if(r.list, [&](const WallpaperEntry& e) {
      return std::find(c.gone.begin(), c.gone.end(), e.path) != c.gone.end();
    });
    FollowDroppedEntries(r.rows, r.list);
    EXPECT_EQ(Paths(r.rows), c.rows) << c.name;
    for (const WallpaperEntry& row : r.rows) {
      if (IsFolderRow(row)) {
        EXPECT_EQ(row.width, c.folderCount) << c.name;
      }
    }
  }
}

TEST(ReplaceFolderPictures, PositionsStayOnTheirPictures) {
  // Rotation before: /a.jpg, /f/b.jpg, /f/c.jpg, /f/d.jpg, /z.jpg (0..4).
  struct Case {
    const char* name;
    std::vector<std::string> now;  // the folder's pictures after the change
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
    Rotation r({"b.jpg", "c.jpg", "d.jpg"});
    EntryList pictures;
    for (const std::string& name : c.now) pictures.push_back(MakeEntry("/f/" + name, 2, 2));
    RotationPositions positions{c.current, c.current};
    ReplaceFolderPictures(r.rows, r.list, 1, pictures, positions);
    EXPECT_EQ(positions.current, c.expected) << c.name;
    EXPECT_EQ(positions.previous, c.expected) << c.name;
    EXPECT_EQ(r.rows[1].width, static_cast<int>(c.now.size())) << c.name;
    EXPECT_EQ(r.list.size(), c.now.size() + 2) << c.name;
    // The next picture is never one that went.
    const auto next = static_cast<std::size_t>(positions.current + 1);
    if (c.current >= 1 && c.current <= 3 && next < r.list.size()) {
      const std::string& shown = r.list[next].path;
      EXPECT_TRUE(shown == "/z.jpg" ||
                  std::find(c.now.begin(), c.now.end(), shown.substr(3)) != c.now.end())
          << c.name << ": " << shown;
    }
  }
}

TEST(EntriesFromPaths, KeepsFolderRowsInPlaceWithoutMeasuringThem) {
  const ListLines lines("/a.jpg\r\n/f/\r\n/g/**\r\n/f/\r\n/gone.jpg\r\n/z.jpg\r\n");
  for (const unsigned threads : {1u, 4u}) {
    std::map<std::string, int> probed;
    std::mutex guard;
    const PictureProbe probe = [&](const std::string& path) -> Result<PictureSize> {
      const std::lock_guard lock(guard);
      ++probed[path];
      if (path == "/gone.jpg") return Status::Error("gone");
      return PictureSize{3, 4};
    };
    EntryList list;
    EntriesFromPaths(lines, list, probe, threads);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"/a.jpg", "/f/", "/g/**", "/z.jpg"}))
        << threads;
    EXPECT_FALSE(probed.contains("/f/")) << threads;
    EXPECT_FALSE(probed.contains("/g/**")) << threads;
  }
}

}  // namespace
}  // namespace vendaro
